// Whether the program may set the clock: the verdict from the facts, and the facts as libcap
// reports them for a probe run with and without the capability (never using it).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "platform/clock_privilege.h"
#include "support/command_runner.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

TEST(ClockPrivilegeTest, TheVerdictFollowsWhatTheKernelWouldAllow) {
    struct Case {
        ClockPrivilegeFacts facts;
        ClockPrivilege verdict;
    };
    const Case cases[] = {
        {{.permitted = true}, ClockPrivilege::Held},
        {{.permitted = true, .bounded = false, .noNewPrivs = true}, ClockPrivilege::Held},
        {{}, ClockPrivilege::Missing},                     // a plain user: setcap helps
        {{.bounded = false}, ClockPrivilege::Withheld},    // capsh --drop, a container
        {{.noNewPrivs = true}, ClockPrivilege::Withheld},  // a sandbox
        {{.fileHasIt = true}, ClockPrivilege::Withheld},   // nosuid mount, a debugger
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyClockPrivilege(c.facts), c.verdict)
            << c.facts.permitted << c.facts.bounded << c.facts.noNewPrivs << c.facts.fileHasIt;
    }
}

TEST(ClockPrivilegeTest, TheProbeSeesTheCapabilityDroppedAndTheFilesOwn) {
    const auto capsh = test::findProgram("capsh");
    const auto setcap = test::findProgram("setcap");
    if (!capsh || !setcap || ::geteuid() != 0) {
        GTEST_SKIP() << "needs root with capsh and setcap (libcap2-bin)";
    }
    test::TempDir dir;
    // A file that carries cap_sys_time yet cannot be run: it only shows what cap_get_file reads.
    const std::string marked = dir.file("marked");
    std::ofstream(marked) << "data\n";
    ::chmod(marked.c_str(), 0600);
    const test::CommandResult set = test::runCommand({*setcap, "cap_sys_time+ep", marked}, 10s);
    if (set.exitCode != 0) {
        GTEST_SKIP() << "this file system keeps no file capabilities: " << set.output;
    }
    const std::string probe = HORALUX_PRIVILEGE_PROBE;

    const ClockPrivilegeFacts self = ProbeClockPrivilege(marked);
    if (self.permitted && self.bounded) {  // root as the tests usually run: the probe is too
        const test::CommandResult asRoot = test::runCommand({probe, marked}, 10s);
        EXPECT_EQ(asRoot.output, "permitted=1\nbounded=1\nnoNewPrivs=0\nfileHasIt=1\n");
    }

    const test::CommandResult dropped = test::runCommand(
        {*capsh, "--drop=cap_sys_time", "--", "-c", test::shellQuote(probe) + " " + marked}, 10s);
    EXPECT_EQ(dropped.output, "permitted=0\nbounded=0\nnoNewPrivs=0\nfileHasIt=1\n");

    const test::CommandResult plainFile = test::runCommand({probe, probe}, 10s);
    EXPECT_NE(plainFile.output.find("fileHasIt=0\n"), std::string::npos) << plainFile.output;
}

}  // namespace
}  // namespace horalux
