#include "clockd/clock_stepper.h"

#include <sys/capability.h>
#include <sys/prctl.h>
#include <sys/timex.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace horalux::clockd {

KernelStep KernelStepOf(std::chrono::microseconds offset) {
    const int64_t us = offset.count();
    KernelStep step{us / 1000000, us % 1000000};
    if (step.nanoseconds < 0) {
        step.seconds -= 1;
        step.nanoseconds += 1000000;
    }
    step.nanoseconds *= 1000;
    return step;
}

std::string SystemClockStepper::step(std::chrono::microseconds offset) {
    const KernelStep kernel = KernelStepOf(offset);
    timex change{};
    change.modes = ADJ_SETOFFSET | ADJ_NANO;
    change.time.tv_sec = static_cast<time_t>(kernel.seconds);
    change.time.tv_usec = static_cast<suseconds_t>(kernel.nanoseconds);  // ns with ADJ_NANO
    if (capability_.raise() != TimeCapability::Result::Raised) {
        return "CAP_SYS_TIME is not permitted to the helper";
    }
    const int result = clock_adjtime(CLOCK_REALTIME, &change);
    const int error = errno;
    capability_.lower();
    return result < 0 ? std::strerror(error) : std::string();
}

std::string VirtualClockStepper::step(std::chrono::microseconds offset) {
    const auto millis =
        static_cast<int64_t>(std::llround(static_cast<double>(offset.count()) / 1000.0));
    return clock_.stepBy(millis) ? std::string() : "cannot write " + clock_.offsetFile();
}

std::string KeepOnlyTimeCapability() {
    cap_t current = cap_get_proc();
    if (current == nullptr) {
        return std::strerror(errno);
    }
    cap_flag_value_t permitted = CAP_CLEAR;
    cap_get_flag(current, CAP_SYS_TIME, CAP_PERMITTED, &permitted);
    cap_free(current);
    // The bounding set first, while CAP_SETPCAP may still be held (started by hand as root); under
    // systemd the unit's bounding set holds CAP_SYS_TIME alone already.
    for (cap_value_t cap = 0; cap < cap_max_bits(); ++cap) {
        if (cap != CAP_SYS_TIME && cap_get_bound(cap) == 1) {
            cap_drop_bound(cap);
        }
    }
    cap_reset_ambient();
    cap_t only = cap_init();
    const cap_value_t time[] = {CAP_SYS_TIME};
    if (permitted == CAP_SET) {
        cap_set_flag(only, CAP_PERMITTED, 1, time, CAP_SET);
    }
    const int result = cap_set_proc(only);
    const int error = errno;
    cap_free(only);
    if (result != 0) {
        return std::strerror(error);
    }
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    return {};
}

}  // namespace horalux::clockd
