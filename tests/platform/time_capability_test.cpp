// The Linux time capability, raised and lowered in a probe program that never holds any power
// over the real clock: capsh drops CAP_SYS_TIME from the bounding set; inside a new user
// namespace (unshare -Ur) the capability is permitted again, yet counts only for that namespace,
// which the kernel does not let set the system clock.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/test_dirs.h"
#include "support/testdata.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

struct ProbeRun {
    bool exited = false;
    int exitCode = -1;
    std::string output;
};

// Runs argv under capsh --drop=cap_sys_time, with its output collected in a file.
ProbeRun run(const std::vector<std::string>& argv) {
    test::TempDir dir;
    const std::string path = dir.file("output");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    ProbeRun result;
    {
        test::ChildProcess child(argv, fd, fd);
        ::close(fd);
        const auto status = child.wait(30s);
        if (status && WIFEXITED(*status)) {
            result.exited = true;
            result.exitCode = WEXITSTATUS(*status);
        }
    }
    std::ifstream in(path);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

bool contains(const std::string& text, const std::string& line) {
    return text.find(line + "\n") != std::string::npos;
}

TEST(LinuxTimeCapabilityTest, RaisesAndLowersTheEffectiveCapability) {
    const ProbeRun check = run({"unshare", "-Ur", "true"});
    if (!check.exited || check.exitCode != 0) {
        GTEST_SKIP() << "unshare -Ur is not permitted on this machine (no unprivileged user "
                        "namespaces), so the capability cannot be raised without power over the "
                        "clock: "
                     << check.output;
    }
    const ProbeRun probe = run({"unshare", "-Ur", HORALUX_CAPABILITY_PROBE});
    ASSERT_TRUE(probe.exited) << probe.output;
    EXPECT_EQ(probe.exitCode, 0);
    const std::string& out = probe.output;
    EXPECT_TRUE(contains(out, "lower effective=0 permitted=1")) << out;
    EXPECT_TRUE(contains(out, "raise=Raised")) << out;
    EXPECT_TRUE(contains(out, "raised effective=1 permitted=1")) << out;
    // Lowering keeps it permitted, so the next update can raise it again.
    EXPECT_TRUE(contains(out, "lowered effective=0 permitted=1")) << out;
    EXPECT_TRUE(contains(out, "raised-again effective=1 permitted=1")) << out;
}

TEST(LinuxTimeCapabilityTest, RaiseFailsWhenTheCapabilityIsNotPermitted) {
    const ProbeRun probe = run({HORALUX_CAPABILITY_PROBE});
    ASSERT_TRUE(probe.exited) << probe.output;
    EXPECT_EQ(probe.exitCode, 0);
    const std::string& out = probe.output;
    EXPECT_TRUE(contains(out, "start effective=0 permitted=0")) << out;
    EXPECT_TRUE(contains(out, "raise=Failed")) << out;
    EXPECT_TRUE(contains(out, "raised effective=0 permitted=0")) << out;
    EXPECT_EQ(out.find("raise=Raised"), std::string::npos) << out;
}

}  // namespace
}  // namespace horalux
