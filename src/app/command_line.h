#pragma once

#include <string>
#include <vector>

namespace horalux {

// What the program's arguments ask for. The tray program takes no arguments of its own beyond
// --version and --help; anything else is an error, answered with the usage.
struct CommandLine {
    enum class Action {
        Run,           // no arguments: start the program
        PrintVersion,  // --version, -v: the version text on standard output
        PrintHelp,     // --help, -h: the usage and the environment settings on standard output
        Error,         // anything else: the error and the usage on standard error
    };

    Action action = Action::Run;
    std::string output;  // what to print (ends in a line break); empty for Run
    int exitCode = 0;    // 0, or 2 for Error
};

// `args` are the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "Usage: horalux [--version | --help]" and what each does, then the environment settings the
// program reads.
std::string UsageText();

}  // namespace horalux
