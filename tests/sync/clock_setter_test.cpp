// How the program sets the clock: the choice of path, what each answer of the clock helper means
// to the user, and each path's setting with fakes (the process's own with the capability raised
// around it, the virtual clock, the helper with the step the update measured).
#include <gtest/gtest.h>

#include "platform/fake_clock_helper.h"
#include "platform/fake_system_clock.h"
#include "platform/fake_time_capability.h"
#include "sync/clock_setter.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using Status = ClockHelperAnswer::Status;

TEST(ClockSetterTest, ThePathFollowsTheClockTheSeamAndTheCapability) {
    struct Case {
        ClockPathFacts facts;
        ClockPath path;
    };
    const Case cases[] = {
        {{}, ClockPath::Helper},  // the tray program: no capability, the system clock
        {{.timeCapability = true}, ClockPath::Direct},
        {{.virtualClock = true}, ClockPath::Virtual},
        {{.virtualClock = true, .timeCapability = true}, ClockPath::Virtual},
        {{.virtualClock = true, .helperForced = true}, ClockPath::Helper},  // the tests' seam
        {{.helperForced = true, .timeCapability = true}, ClockPath::Helper},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseClockPath(c.facts), c.path)
            << c.facts.virtualClock << c.facts.helperForced << c.facts.timeCapability;
    }
}

TEST(ClockSetterTest, EachAnswerOfTheHelperBecomesAReasonTheUserCanActOn) {
    struct Case {
        ClockHelperAnswer answer;
        ClockSetOutcome outcome;
    };
    const Case cases[] = {
        {{Status::Stepped, "", ""}, {}},
        {{Status::Error, "org.freedesktop.DBus.Error.ServiceUnknown", "not provided"},
         {ClockSetResult::NoHelper, "not provided"}},
        {{Status::Error, "org.freedesktop.DBus.Error.NameHasNoOwner", "gone"},
         {ClockSetResult::NoHelper, "gone"}},
        {{Status::NoBus, "", "cannot connect to the system bus: No such file or directory"},
         {ClockSetResult::NoHelper, "cannot connect to the system bus: No such file or directory"}},
        {{Status::Error, clock_helper::kNotAuthorized, "polkit does not allow"},
         {ClockSetResult::NotAuthorized, "polkit does not allow"}},
        {{Status::Error, clock_helper::kStepFailed, "Invalid argument"},
         {ClockSetResult::ClockRefused, "Invalid argument"}},
        {{Status::Error, clock_helper::kInvalidOffset, "more than a century"},
         {ClockSetResult::ClockRefused, "more than a century"}},
        {{Status::Error, clock_helper::kAuthorizationUnavailable, "no polkit"},
         {ClockSetResult::HelperFailed,
          "example.quorvane.Horalux.Clock1.Error.AuthorizationUnavailable: no polkit"}},
        {{Status::Error, "org.freedesktop.DBus.Error.Spawn.ChildExited", "exited with status 1"},
         {ClockSetResult::HelperFailed,
          "org.freedesktop.DBus.Error.Spawn.ChildExited: exited with status 1"}},
        {{Status::Error, "org.freedesktop.DBus.Error.AccessDenied", "policy"},
         {ClockSetResult::HelperFailed, "org.freedesktop.DBus.Error.AccessDenied: policy"}},
        {{Status::TimedOut, "", "no answer within 30 s"},
         {ClockSetResult::HelperFailed, "no answer within 30 s"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OutcomeOfHelperAnswer(c.answer), c.outcome) << c.answer.errorName;
    }
}

TEST(ClockSetterTest, EachPathSetsTheClockItsOwnWayAndRemembersTheLastOutcome) {
    const SystemTime reading{2001, 3, 0, 18, 12, 0, 0, 400};
    const SystemTime target{2001, 3, 0, 18, 12, 0, 2, 50};
    const ClockCorrection correction = CorrectionFrom(reading, target);
    EXPECT_EQ(correction.step, 1650ms);

    {
        // The process's own: the capability raised around the setting only.
        FakeSystemClock clock(reading);
        FakeTimeCapability capability;
        ClockSetter setter(clock, capability);
        EXPECT_FALSE(setter.lastOutcome());
        EXPECT_TRUE(setter.apply(correction).set());
        EXPECT_EQ(clock.settings(), std::vector<SystemTime>{target});
        EXPECT_EQ(setter.lastStep(), 1650ms) << "what the setting changed: new minus old time";
        EXPECT_EQ(capability.raises, 1);
        EXPECT_FALSE(capability.raised);
        capability.setAnswer(TimeCapability::Result::Failed);
        EXPECT_EQ(setter.apply(correction).result, ClockSetResult::ClockRefused);
        EXPECT_EQ(clock.settingCount(), 1u);
        capability.setAnswer(TimeCapability::Result::Raised);
        clock.setAllowSetting(false);
        EXPECT_EQ(setter.apply(correction), (ClockSetOutcome{ClockSetResult::ClockRefused,
                                                             "the system refused the new time"}));
        EXPECT_EQ(setter.lastOutcome()->result, ClockSetResult::ClockRefused);
        EXPECT_FALSE(setter.lastStep()) << "a refused setting changed nothing";
        clock.setAllowSetting(true);
        EXPECT_TRUE(setter.apply(correction).set());
        setter.forget();
        EXPECT_FALSE(setter.lastOutcome());
        EXPECT_FALSE(setter.lastStep());
    }
    {
        // The virtual clock: no capability to raise.
        FakeSystemClock clock(reading);
        FakeTimeCapability capability;
        ClockSetter setter(clock, capability, ClockPath::Virtual, nullptr);
        EXPECT_TRUE(setter.apply(correction).set());
        EXPECT_EQ(clock.settingCount(), 1u);
        EXPECT_EQ(capability.raises, 0);
    }
    {
        // The helper: the step, not the time; the process's clock is left to the helper.
        FakeSystemClock clock(reading);
        FakeTimeCapability capability;
        FakeClockHelper helper;
        ClockSetter setter(clock, capability, ClockPath::Helper, &helper);
        EXPECT_TRUE(setter.apply(correction).set());
        helper.setAnswer({Status::Error, clock_helper::kNotAuthorized, "polkit does not allow"});
        EXPECT_EQ(setter.apply({target, -90s}).result, ClockSetResult::NotAuthorized);
        EXPECT_EQ(helper.steps(), (std::vector<std::chrono::microseconds>{1650ms, -90s}));
        EXPECT_EQ(clock.settingCount(), 0u);
        EXPECT_EQ(capability.raises, 0);

        ClockSetter noHelper(clock, capability, ClockPath::Helper, nullptr);
        EXPECT_EQ(noHelper.apply(correction).result, ClockSetResult::NoHelper);

        // The helper is handed a token that cancel() stops, unless the caller gave its own.
        std::stop_token seen;
        struct Watching final : ClockHelper {
            std::stop_token* seen;
            ClockHelperAnswer step(std::chrono::microseconds,
                                   const std::stop_token& stop) override {
                *seen = stop;
                return {};
            }
        } watching;
        watching.seen = &seen;
        ClockSetter ending(clock, capability, ClockPath::Helper, &watching);
        ending.apply(correction);
        EXPECT_FALSE(seen.stop_requested());
        ending.cancel();
        ending.apply(correction);
        EXPECT_TRUE(seen.stop_requested());
        std::stop_source own;
        ending.apply(correction, own.get_token());
        EXPECT_FALSE(seen.stop_requested());
    }
}

}  // namespace
}  // namespace horalux
