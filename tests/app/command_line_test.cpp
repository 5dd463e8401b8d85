#include <gtest/gtest.h>

#include "app/command_line.h"

namespace horalux {
namespace {

TEST(CommandLineTest, AnswersVersionAndHelpAndRefusesEverythingElseWithTheUsage) {
    using Action = CommandLine::Action;
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string firstLine;
    };
    const Case cases[] = {
        {{}, Action::Run, ""},
        {{"--version"}, Action::PrintVersion, "Horalux Version 3.50 Build 4"},
        {{"-v"}, Action::PrintVersion, "Horalux Version 3.50 Build 4"},
        {{"--help"}, Action::PrintHelp, "Usage: horalux [--version | --help]"},
        {{"-h"}, Action::PrintHelp, "Usage: horalux [--version | --help]"},
        {{"--verbose"}, Action::Error, "horalux: Unknown option 'verbose'."},
        {{"-x"}, Action::Error, "horalux: Unknown option 'x'."},
        {{"settings.ini"}, Action::Error, "horalux: unexpected argument 'settings.ini'."},
        {{""}, Action::Error, "horalux: unexpected argument ''."},
        {{"--version", "--help"}, Action::Error, "horalux: give one option at a time."},
        {{"--version", "extra"}, Action::Error, "horalux: unexpected argument 'extra'."},
    };
    for (const Case& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        SCOPED_TRACE(line.output);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.output.substr(0, line.output.find('\n')), c.firstLine);
        EXPECT_EQ(line.exitCode, c.action == Action::Error ? 2 : 0);
        if (c.action == Action::Error) {
            EXPECT_NE(line.output.find("\n\n" + UsageText()), std::string::npos);
        }
    }
}

TEST(CommandLineTest, TheHelpListsTheEnvironmentSettingsInLinesThatFitATerminal) {
    const std::string help = UsageText();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_STATE_HOME",
                             "HORALUX_CLOCK_FILE", "HORALUX_USE_CLOCK_HELPER=1", "HORALUX_TRACE=1",
                             "HORALUX_SERIAL_BY_ID", "HORALUX_DELAY_SECONDS", "HORALUX_CHRONYC",
                             "BROWSER", "QT_QPA_PLATFORM", "horalux-clockd"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
    }
    size_t start = 0;
    while (start < help.size()) {
        const size_t end = help.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "the help ends without a line break";
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        start = end + 1;
    }
}

}  // namespace
}  // namespace horalux
