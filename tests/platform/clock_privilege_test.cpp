// Dropping every capability at start, as the tray program does before it loads any GUI library:
// a probe run as root (the capability to set the clock taken away by capsh first) and as root of
// a user namespace ends with empty sets, and a program it starts afterwards gains none back.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>

#include "platform/clock_privilege.h"
#include "support/command_runner.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

constexpr char kEmptySets[] =
    "CapInh=0000000000000000\nCapPrm=0000000000000000\nCapEff=0000000000000000\n"
    "CapAmb=0000000000000000\n";

std::string ChildSets() {
    std::string child;
    for (const char* set : {"CapInh", "CapPrm", "CapEff", "CapAmb"}) {
        child += std::string("child ") + set + "=0000000000000000\n";
    }
    return child;
}

TEST(DropAllCapabilitiesTest, LeavesNothingHeldNorAnythingToRegainAtAnExec) {
    const auto capsh = test::findProgram("capsh");
    if (!capsh || ::geteuid() != 0) {
        GTEST_SKIP() << "needs root with capsh (libcap2-bin)";
    }
    const std::string probe = HORALUX_PRIVILEGE_PROBE;
    struct Case {
        const char* what;
        std::vector<std::string> argv;
    };
    const Case cases[] = {
        {"root", {*capsh, "--drop=cap_sys_time", "--", "-c", test::shellQuote(probe)}},
        // Every capability again, CAP_SYS_TIME included, but only over the namespace's own.
        {"root of a user namespace",
         {*capsh, "--drop=cap_sys_time", "--", "-c", "unshare -Ur " + test::shellQuote(probe)}},
    };
    for (const Case& c : cases) {
        const test::CommandResult run = test::runCommand(c.argv, 20s);
        if (c.argv.back().rfind("unshare", 0) == 0 && run.exitCode != 0) {
            continue;  // no unprivileged user namespaces here
        }
        const std::string& out = run.output;
        EXPECT_NE(out.find("held=cap_chown,"), std::string::npos) << c.what << ":\n" << out;
        EXPECT_NE(out.find("done=1 error=\n"), std::string::npos) << c.what << ":\n" << out;
        EXPECT_NE(out.find(kEmptySets), std::string::npos) << c.what << ":\n" << out;
        EXPECT_NE(out.find(ChildSets()), std::string::npos) << c.what << ":\n" << out;
    }
    // A process that holds nothing has nothing to drop, and that is no failure.
    const test::CommandResult plain =
        test::runCommand({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                          "--inh-caps=-all", "--bounding-set=-all", probe},
                         20s);
    EXPECT_NE(plain.output.find("held=\ndone=1 error=\n"), std::string::npos) << plain.output;
}

}  // namespace
}  // namespace horalux
