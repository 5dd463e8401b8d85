#include "platform/clock_privilege.h"

#include <sys/capability.h>
#include <sys/prctl.h>

namespace horalux {

namespace {

bool HasFlag(cap_t caps, cap_flag_t set) {
    cap_flag_value_t value = CAP_CLEAR;
    return caps != nullptr && cap_get_flag(caps, CAP_SYS_TIME, set, &value) == 0 &&
           value == CAP_SET;
}

}  // namespace

ClockPrivilege ClassifyClockPrivilege(const ClockPrivilegeFacts& facts) {
    if (facts.permitted) {
        return ClockPrivilege::Held;
    }
    if (!facts.bounded || facts.noNewPrivs || facts.fileHasIt) {
        return ClockPrivilege::Withheld;
    }
    return ClockPrivilege::Missing;
}

ClockPrivilegeFacts ProbeClockPrivilege(const std::string& programPath) {
    ClockPrivilegeFacts facts;
    if (cap_t process = cap_get_proc()) {
        facts.permitted = HasFlag(process, CAP_PERMITTED);
        cap_free(process);
    }
    // -1 where the kernel cannot say: then nothing stands in the way of a file capability.
    facts.bounded = cap_get_bound(CAP_SYS_TIME) != 0;
    facts.noNewPrivs = prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0) == 1;
    if (cap_t file = cap_get_file(programPath.c_str())) {
        facts.fileHasIt = HasFlag(file, CAP_PERMITTED);
        cap_free(file);
    }
    return facts;
}

}  // namespace horalux
