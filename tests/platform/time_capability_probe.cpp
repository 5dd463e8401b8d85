// Exercises LinuxTimeCapability and prints what the calling thread's capability sets hold after
// each step, for time_capability_test to run under capsh and unshare. It never sets the clock.
#include <sys/capability.h>

#include <cstdio>

#include "platform/linux_time_capability.h"

namespace {

using horalux::TimeCapability;

const char* name(TimeCapability::Result result) {
    switch (result) {
        case TimeCapability::Result::Raised:
            return "Raised";
        case TimeCapability::Result::NotSupported:
            return "NotSupported";
        case TimeCapability::Result::Failed:
            return "Failed";
    }
    return "?";
}

// 1 when CAP_SYS_TIME is in the given set of the calling thread, 0 when not, -1 on error.
int has(cap_flag_t set) {
    cap_t caps = cap_get_proc();
    if (caps == nullptr) {
        return -1;
    }
    cap_flag_value_t value = CAP_CLEAR;
    const int result = cap_get_flag(caps, CAP_SYS_TIME, set, &value) == 0 ? value == CAP_SET : -1;
    cap_free(caps);
    return result;
}

void show(const char* step) {
    std::printf("%s effective=%d permitted=%d\n", step, has(CAP_EFFECTIVE), has(CAP_PERMITTED));
}

}  // namespace

int main() {
    horalux::LinuxTimeCapability capability;
    show("start");
    capability.lower();
    show("lower");
    std::printf("raise=%s\n", name(capability.raise()));
    show("raised");
    capability.lower();
    show("lowered");
    std::printf("raise=%s\n", name(capability.raise()));
    show("raised-again");
    return 0;
}
