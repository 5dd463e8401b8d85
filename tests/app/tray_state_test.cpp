#include <gtest/gtest.h>

#include "app/tray_state.h"

namespace horalux {
namespace {

TEST(TrayStateTest, ChoosesIconAndTipFromTheReferenceAndTheWorkersFlags) {
    struct Case {
        int network, failed, busy;
        TrayState expected;
    };
    const TrayState gps{109, "Horalux"};
    const TrayState failed{141, "Horalux - Cannot connect to network\ntime server"};
    const TrayState setting{140, "Horalux - Setting PC clock to Netwotk Time"};
    const TrayState ok{138, "Horalux - Time referenced to\n Network time"};
    for (const Case& c : {
             Case{0, 0, 0, gps},
             Case{0, 1, 1, gps},  // GPS ignores the network flags
             Case{1, 1, 0, failed},
             Case{1, 1, 1, failed},  // failure wins over a running update
             Case{1, 0, 1, setting},
             Case{1, 0, 0, ok},
         }) {
        SCOPED_TRACE(::testing::Message() << c.network << c.failed << c.busy);
        const TrayState s = ChooseTrayState(c.network, c.failed, c.busy);
        EXPECT_EQ(s, c.expected);
        EXPECT_LE(std::string(s.tip).size(), kTrayTipMax);
    }
}

TEST(TrayStateTest, TheTrackerAnswersOnlyWhenTheIconChanges) {
    TrayStateTracker tracker;
    EXPECT_EQ(tracker.currentIcon(), -1);
    // The first tick always sets the icon, even to the one the tray was created with.
    ASSERT_TRUE(tracker.Next(0, 0, 0).has_value());
    EXPECT_FALSE(tracker.Next(0, 0, 0).has_value());
    EXPECT_FALSE(tracker.Next(0, 1, 1).has_value());

    // Switching to network time shows up on the next tick.
    auto next = tracker.Next(1, 0, 0);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->icon, 138);

    // A failed update shows 141 and keeps it while a retry runs, until one succeeds.
    EXPECT_EQ(tracker.Next(1, 1, 0)->icon, 141);
    EXPECT_FALSE(tracker.Next(1, 1, 1).has_value());
    EXPECT_FALSE(tracker.Next(1, 1, 0).has_value());
    EXPECT_EQ(tracker.Next(1, 0, 0)->icon, 138);
    EXPECT_EQ(tracker.Next(1, 0, 1)->icon, 140);
    EXPECT_EQ(tracker.currentIcon(), 140);
}

TEST(TrayStateTest, TipsAreCutToWhatTheTrayHolds) {
    EXPECT_EQ(TrayTipText("Horalux"), "Horalux");
    EXPECT_EQ(TrayTipText(std::string(100, 'x')), std::string(63, 'x'));
}

TEST(TrayStateTest, TheTipEndsWithTheLastUpdatesOutcome) {
    const TrayState ok = ChooseTrayState(1, 0, 0);
    EXPECT_EQ(TrayTipText(ok, ""), "Horalux - Time referenced to\n Network time");
    EXPECT_EQ(TrayTipText(ok, "Set 14:02 UTC, +312 ms"),
              "Horalux - Time referenced to\n Network time\nSet 14:02 UTC, +312 ms");
    EXPECT_EQ(TrayTipText({kIconGps, "Horalux"}, "Not set: not locked"),
              "Horalux\nNot set: not locked");

    // A new outcome changes the tip even where the icon stays.
    TrayStateTracker tracker;
    ASSERT_TRUE(tracker.Next(0, 0, 0).has_value());
    EXPECT_FALSE(tracker.Next(0, 0, 0, "").has_value());
    EXPECT_TRUE(tracker.Next(0, 0, 0, "Not set: not locked").has_value());
    EXPECT_FALSE(tracker.Next(0, 0, 0, "Not set: not locked").has_value());
    EXPECT_TRUE(tracker.Next(0, 0, 0, "Set 14:02 UTC, +312 ms").has_value());
    EXPECT_EQ(tracker.Next(1, 0, 0, "Set 14:02 UTC, +312 ms")->icon, kIconNetworkOk);
}

}  // namespace
}  // namespace horalux
