#include "platform/linux_time_capability.h"

#include <sys/capability.h>
#include <cerrno>
#include <memory>

namespace horalux {

namespace {

struct CapFree {
    void operator()(cap_t caps) const { cap_free(caps); }
};
using Caps = std::unique_ptr<std::remove_pointer_t<cap_t>, CapFree>;

TimeCapability::Result failure(int error) {
    return (error == EINVAL || error == ENOSYS) ? TimeCapability::Result::NotSupported
                                                : TimeCapability::Result::Failed;
}

// Sets CAP_SYS_TIME in the calling thread's effective set to `value`.
TimeCapability::Result setEffective(cap_flag_value_t value) {
    if (!CAP_IS_SUPPORTED(CAP_SYS_TIME)) {
        return TimeCapability::Result::NotSupported;
    }
    Caps caps(cap_get_proc());
    if (!caps) {
        return failure(errno);
    }
    if (value == CAP_SET) {
        cap_flag_value_t permitted = CAP_CLEAR;
        if (cap_get_flag(caps.get(), CAP_SYS_TIME, CAP_PERMITTED, &permitted) != 0) {
            return failure(errno);
        }
        if (permitted != CAP_SET) {
            return TimeCapability::Result::Failed;
        }
    }
    const cap_value_t wanted[] = {CAP_SYS_TIME};
    if (cap_set_flag(caps.get(), CAP_EFFECTIVE, 1, wanted, value) != 0 ||
        cap_set_proc(caps.get()) != 0) {
        return failure(errno);
    }
    return TimeCapability::Result::Raised;
}

}  // namespace

TimeCapability::Result LinuxTimeCapability::raise() {
    return setEffective(CAP_SET);
}

void LinuxTimeCapability::lower() {
    setEffective(CAP_CLEAR);
}

}  // namespace horalux
