#pragma once

#include <string>

#include "platform/clock_privilege.h"

namespace horalux {

// The line that tells the user why the clock does not move when the program may not set it, with
// the one command that grants the privilege to `program` where that helps; empty when the
// program can set the clock.
std::string ClockPrivilegeLine(ClockPrivilege privilege, const std::string& program);

// `path` as one word for a POSIX shell: as it is when it holds only safe characters, else in
// single quotes.
std::string ShellWord(const std::string& path);

}  // namespace horalux
