#include "app/clock_privilege_notice.h"

#include <algorithm>
#include <cctype>

namespace horalux {

std::string ShellWord(const std::string& path) {
    const bool safe = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::string_view("/._+-,:@=").find(c) != std::string_view::npos;
    });
    if (safe) {
        return path;
    }
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::string ClockPrivilegeLine(ClockPrivilege privilege, const std::string& program) {
    switch (privilege) {
        case ClockPrivilege::Held:
            return {};
        case ClockPrivilege::Missing:
            return "Horalux may not set the PC clock: it lacks the CAP_SYS_TIME privilege. "
                   "Grant it once with: sudo setcap cap_sys_time+ep " +
                   ShellWord(program);
        case ClockPrivilege::Withheld:
            return "Horalux may not set the PC clock: the system withholds the CAP_SYS_TIME "
                   "privilege from it here (a file system mounted nosuid, a container or a "
                   "sandbox). Run it from a normal installation.";
    }
    return {};
}

}  // namespace horalux
