// The clock helper's one decision, against a fake polkit and a fake clock: which requests step the
// clock, what each refusal answers on the bus, and the one log line per request. Then the two
// pieces that touch a clock: the step as the kernel takes it, and the virtual clock's file.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "clockd/clock_step_service.h"
#include "clockd/clock_stepper.h"
#include "platform/clock_helper.h"
#include "support/test_dirs.h"

namespace horalux::clockd {
namespace {

using namespace std::chrono_literals;

class FakeAuthority final : public Authority {
  public:
    AuthorityAnswer check(const std::string& busName, const std::string& action) override {
        asked.push_back(busName + " " + action);
        return answer;
    }
    AuthorityAnswer answer{AuthorityAnswer::Verdict::Allowed, {}};
    std::vector<std::string> asked;
};

class FakeStepper final : public ClockStepper {
  public:
    std::string step(std::chrono::microseconds offset) override {
        steps.push_back(offset.count());
        return failure;
    }
    std::string failure;
    std::vector<int64_t> steps;
};

TEST(ClockStepServiceTest, StepsOnlyWhatPolkitAllowsAndSaysWhyNot) {
    using Verdict = AuthorityAnswer::Verdict;
    const int64_t century = clock_helper::kMaxStep.count();
    struct Case {
        const char* what;
        int64_t offsetUs;
        AuthorityAnswer authority;
        std::string stepFailure;
        bool asksPolkit;
        bool steps;  // the stepper is called (and the step made, unless it fails)
        std::string errorName;
        std::string messagePart;
        std::string logLine;
    };
    const Case cases[] = {
        {"allowed",
         2500000,
         {Verdict::Allowed, {}},
         "",
         true,
         true,
         "",
         "",
         "stepped the clock by +2.500000 s for uid 1000 pid 4242"},
        {"allowed, backwards",
         -1250,
         {Verdict::Allowed, {}},
         "",
         true,
         true,
         "",
         "",
         "stepped the clock by -0.001250 s for uid 1000 pid 4242"},
        {"a century is still a clock error",
         -century,
         {Verdict::Allowed, {}},
         "",
         true,
         true,
         "",
         "",
         "stepped the clock by -3155673600.000000 s"},
        {"refused",
         2500000,
         {Verdict::Denied, {}},
         "",
         true,
         false,
         clock_helper::kNotAuthorized,
         "polkit does not allow this caller to set the clock "
         "(action example.quorvane.horalux.set-clock)",
         "refused a step of +2.500000 s for uid 1000 pid 4242: polkit does not allow"},
        {"refused after a prompt",
         1,
         {Verdict::Denied, "no password was given"},
         "",
         true,
         false,
         clock_helper::kNotAuthorized,
         "set-clock): no password was given",
         "refused a step"},
        {"polkit absent",
         2500000,
         {Verdict::Unavailable, "The name org.freedesktop.PolicyKit1 was not provided"},
         "",
         true,
         false,
         clock_helper::kAuthorizationUnavailable,
         "cannot ask polkit whether this caller may set the clock: The name "
         "org.freedesktop.PolicyKit1 was not provided",
         "refused a step of +2.500000 s"},
        {"more than a century ahead",
         century + 1,
         {Verdict::Allowed, {}},
         "",
         false,
         false,
         clock_helper::kInvalidOffset,
         "is more than a century either way",
         "refused a step of +3155673600.000001 s"},
        {"the most negative number",
         INT64_MIN,
         {Verdict::Allowed, {}},
         "",
         false,
         false,
         clock_helper::kInvalidOffset,
         "-9223372036854.775808 s is more than a century",
         "refused a step of -9223372036854.775808 s"},
        {"the system refuses",
         1000,
         {Verdict::Allowed, {}},
         "Invalid argument",
         true,
         true,
         clock_helper::kStepFailed,
         "the system did not step the clock: Invalid argument",
         "refused a step of +0.001000 s"},
    };
    for (const Case& c : cases) {
        FakeAuthority authority;
        authority.answer = c.authority;
        FakeStepper stepper;
        stepper.failure = c.stepFailure;
        std::vector<std::string> log;
        ClockStepService service(authority, stepper,
                                 [&log](const std::string& line) { log.push_back(line); });

        const StepReply reply = service.handle({":1.42", 1000, 4242, c.offsetUs});

        SCOPED_TRACE(c.what);
        EXPECT_EQ(reply.stepped, c.steps && c.stepFailure.empty());
        EXPECT_EQ(reply.errorName, c.errorName);
        EXPECT_NE(reply.message.find(c.messagePart), std::string::npos) << reply.message;
        EXPECT_EQ(authority.asked,
                  c.asksPolkit
                      ? std::vector<std::string>{":1.42 example.quorvane.horalux.set-clock"}
                      : std::vector<std::string>{});
        EXPECT_EQ(stepper.steps,
                  c.steps ? std::vector<int64_t>{c.offsetUs} : std::vector<int64_t>{});
        ASSERT_EQ(log.size(), 1u) << "one line per request";
        EXPECT_EQ(log[0].rfind(c.logLine, 0), 0u) << log[0];
    }
}

TEST(ClockStepperTest, TheKernelTakesWholeSecondsDownAndAFractionUp) {
    const std::pair<int64_t, KernelStep> cases[] = {
        {2500000, {2, 500000000}}, {-1250000, {-2, 750000000}}, {-1, {-1, 999999000}}, {0, {0, 0}},
        {-3000000, {-3, 0}},       {999999, {0, 999999000}},
    };
    for (const auto& [us, kernel] : cases) {
        EXPECT_EQ(KernelStepOf(std::chrono::microseconds{us}), kernel) << us;
    }
}

TEST(ClockStepperTest, TheVirtualClockMovesByTheStepFromWhereverItStands) {
    test::TempDir dir;
    const std::string file = dir.file("clock-offset");
    VirtualClockStepper stepper(file);
    const auto offset = [&file] {
        std::ifstream in(file);
        long long value = 0;
        in >> value;
        return value;
    };
    EXPECT_EQ(stepper.step(2500400us), "");  // no file yet: from 0, to the nearest millisecond
    EXPECT_EQ(offset(), 2500);
    std::ofstream(file) << "-60000\n";  // the program set it meanwhile
    EXPECT_EQ(stepper.step(-1500us), "");
    EXPECT_EQ(offset(), -60002);

    VirtualClockStepper nowhere(dir.file("no-such-folder/clock-offset"));
    EXPECT_NE(nowhere.step(1000us).find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace horalux::clockd
