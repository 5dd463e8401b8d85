#include <gtest/gtest.h>

#include "clock/accessible_time_text.h"
#include "clock/recording_surface.h"
#include "clock/segment_clock_state.h"
#include "platform/fake_system_clock.h"

namespace horalux {
namespace {

TEST(SegmentClockStateTest, RepaintsOnlyWhenTheSecondChanges) {
    FakeSystemClock clock({2001, 3, 0, 18, 19, 53, 0, 0});
    SegmentClockState s;
    // The first tick paints even at second 0, so the empty record is never left on screen.
    EXPECT_TRUE(s.Tick(clock));
    EXPECT_EQ(s.time.second, 0);
    clock.advance(950);
    EXPECT_FALSE(s.Tick(clock));
    EXPECT_EQ(s.time.milliseconds, 950);  // refreshed all the same
    clock.advance(50);
    EXPECT_TRUE(s.Tick(clock));
    EXPECT_EQ(s.lastSecond, 1);
    EXPECT_FALSE(s.Tick(clock));
    // A jump by whole minutes keeps the second: the new time shows with the next second.
    clock.advance(60'000);
    EXPECT_FALSE(s.Tick(clock));
    EXPECT_EQ(s.time.minute, 54);
}

TEST(SegmentClockStateTest, ShowsLocalTimeOnlyWhenTheFlagIsOne) {
    // Two hours east of UTC, 14:00:00 local is 12:00:00 UTC.
    FakeSystemClock clock({2024, 6, 0, 3, 12, 0, 0, 0}, 120);
    SegmentClockState desktop;  // local by default
    desktop.Tick(clock);
    EXPECT_EQ(desktop.time.hour, 14);

    SegmentClockState page;
    page.localTime = 0;
    page.Tick(clock);
    EXPECT_EQ(page.time.hour, 12);

    page.localTime = 2;  // any other value means UTC too
    page.Tick(clock);
    EXPECT_EQ(page.time.hour, 12);
}

TEST(SegmentClockStateTest, DrawsIntoTheClientShrunkByTheMargin) {
    SegmentClockState s;
    s.thickness = 3;
    EXPECT_EQ(s.ContentRect(292, 92), (PixelRect{5, 5, 287, 87}));
    s.margin = 0;
    EXPECT_EQ(s.ContentRect(292, 92), (PixelRect{0, 0, 292, 92}));

    s.margin = 5;
    s.time = {2001, 3, 0, 18, 19, 53, 17, 0};
    test::RecordingSurface surface;
    s.Draw(surface, 292, 92);
    ASSERT_EQ(surface.strokes().size(), 6u * 7 + 2 * 2);
    // Hour tens '1': its top bar starts at the content's left + 2t, its row at top + t.
    EXPECT_EQ(surface.strokes()[0].from, (PixelPoint{5 + 6, 5 + 3}));
    EXPECT_EQ(surface.penOf(surface.strokes()[0]).colour, s.unlit);
    EXPECT_EQ(surface.penOf(surface.strokes()[1]).colour, s.lit);
}

// What a screen reader says: the digits as drawn, then UTC and the day of the year as shown.
TEST(SegmentClockStateTest, SaysTheTimeAsTheDigitsShowIt) {
    struct Case {
        SystemTime time;
        bool utc;
        int32_t twentyFourHour;
        int32_t dayOfYear;
        const char* said;
    };
    const Case cases[] = {
        {{2026, 12, 2, 8, 14, 2, 11, 999}, false, 1, 0, "14:02:11"},
        {{2026, 12, 2, 8, 14, 2, 11, 0}, true, 1, 0, "14:02:11 UTC"},
        {{2026, 12, 2, 8, 14, 2, 11, 0}, true, 1, 1, "14:02:11 UTC day 342"},
        {{2026, 12, 2, 8, 14, 2, 11, 0}, false, 1, 1, "14:02:11 day 342"},
        // The 12-hour form as drawn: 13 to 23 lose 12, midnight and noon stay, no AM or PM.
        {{2026, 12, 2, 8, 14, 2, 11, 0}, false, 0, 0, "02:02:11"},
        {{2026, 12, 2, 8, 0, 5, 0, 0}, false, 0, 0, "00:05:00"},
        {{2026, 12, 2, 8, 12, 0, 0, 0}, true, 0, 0, "12:00:00 UTC"},
        // The day without the display's leading zeros, by the clock's leap rule.
        {{2026, 1, 4, 1, 0, 0, 0, 0}, false, 1, 1, "00:00:00 day 1"},
        {{2100, 12, 5, 31, 23, 59, 59, 0}, true, 1, 1, "23:59:59 UTC day 366"},
        // Only a flag of 1 shows the day; 24-hour is anything but 0.
        {{2026, 12, 2, 8, 14, 2, 11, 0}, false, 2, 2, "14:02:11"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AccessibleTimeText(c.time, c.utc, c.twentyFourHour, c.dayOfYear), c.said)
            << c.said;
    }

    // The state says what it read, in the zone it read it in.
    FakeSystemClock clock({2024, 6, 0, 3, 12, 0, 0, 0}, 120);
    SegmentClockState s;
    s.Tick(clock);
    EXPECT_EQ(s.SpokenText(), "14:00:00");
    s.localTime = 0;
    s.dayOfYear = 1;
    EXPECT_EQ(s.SpokenText(), "14:00:00 day 155") << "UTC once read as UTC";
    clock.advance(1000);
    s.Tick(clock);
    EXPECT_EQ(s.SpokenText(), "12:00:01 UTC day 155");
}

}  // namespace
}  // namespace horalux
