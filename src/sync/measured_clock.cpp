#include "sync/measured_clock.h"

#include <cerrno>

namespace horalux {

bool MeasuredClock::setUtc(const SystemTime& utc) {
    const int64_t before = toUnixMillis(clock_.utcNow());
    errno = 0;
    if (!clock_.setUtc(utc)) {
        refusal_ = errno == EPERM ? UpdateResult::PrivilegeMissing : UpdateResult::ClockRefused;
        return false;
    }
    refusal_.reset();
    correctionMs_ = toUnixMillis(utc) - before;
    return true;
}

}  // namespace horalux
