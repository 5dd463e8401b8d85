#include <gtest/gtest.h>

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

}  // namespace
}  // namespace horalux
