#include "app/tray_absence.h"

namespace horalux {

bool TrayAbsence::Check(bool trayAvailable, int64_t elapsedMs) {
    if (state_ != State::Watching) {
        return false;
    }
    if (trayAvailable) {
        state_ = State::Present;
        return false;
    }
    if (elapsedMs < kGraceMs) {
        return false;
    }
    state_ = State::Noticed;
    return true;
}

}  // namespace horalux
