#pragma once

#include <string>

namespace horalux {

// What decides whether this process may set the system clock, as the kernel sees it.
struct ClockPrivilegeFacts {
    bool permitted = false;   // CAP_SYS_TIME is in the process's permitted set (root, or setcap)
    bool bounded = true;      // CAP_SYS_TIME is in the bounding set: an exec can still gain it
    bool noNewPrivs = false;  // no_new_privs: file capabilities are ignored at exec
    bool fileHasIt = false;   // the program file carries cap_sys_time in its permitted set
};

enum class ClockPrivilege {
    Held,      // the program can set the clock
    Missing,   // `setcap cap_sys_time+ep PROGRAM` grants it
    Withheld,  // the program has it or could, but the system does not let this process use it
};

// The verdict from the facts: held when permitted; otherwise withheld when granting it to the
// file would not help (the bounding set lacks it, no_new_privs is set) or when the file already
// has it (a file system mounted nosuid, a debugger); missing otherwise.
ClockPrivilege ClassifyClockPrivilege(const ClockPrivilegeFacts& facts);

// The facts for this process and its program file, through libcap.
ClockPrivilegeFacts ProbeClockPrivilege(const std::string& programPath);

}  // namespace horalux
