#include "sync/time_privilege.h"

namespace horalux {

void EnableTimePrivilege(TimeCapability& capability) {
    capability.raise();
}

int ScopedTimePrivilege::Acquire() {
    switch (capability_.raise()) {
        case TimeCapability::Result::Raised:
            acquired_ = true;
            return 1;
        case TimeCapability::Result::NotSupported:
            return 1;
        case TimeCapability::Result::Failed:
            break;
    }
    return 0;
}

void ScopedTimePrivilege::Release() {
    if (acquired_) {
        capability_.lower();
        acquired_ = false;
    }
}

}  // namespace horalux
