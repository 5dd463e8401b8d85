#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace horalux::test {

// What a command run to its end printed and how it ended.
struct CommandResult {
    bool started = false;
    bool timedOut = false;  // killed after the time limit
    int exitCode = -1;      // the exit status, or -1 when it did not exit normally
    std::string output;     // standard output and standard error, interleaved
};

// Runs argv (argv[0] looked up in PATH) to its end with the test's environment, killing it when
// it outlives timeout.
CommandResult runCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);

// The full path of a program in PATH or in /usr/sbin and /sbin, or nothing.
std::optional<std::string> findProgram(const std::string& name);

// text in single quotes for sh -c.
std::string shellQuote(const std::string& text);

}  // namespace horalux::test
