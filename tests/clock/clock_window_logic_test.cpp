#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "clock/clock_window_logic.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

class ClockWindowLogicTest : public testing::Test {
  protected:
    MemorySettingsStore store;
    RuntimeSettings runtime;
    SegmentClockState display;
    ClockWindowLogic logic{store, runtime, display};
};

TEST(ClockPositionTest, ParsesLeftRightTopBottom) {
    EXPECT_EQ(ClockWindowLogic::ParsePosition("10,310,20,120"), (PixelRect{10, 20, 310, 120}));
    EXPECT_EQ(ClockWindowLogic::ParsePosition("-1920,-1620,5,105"),
              (PixelRect{-1920, 5, -1620, 105}));
    // As formatted reading does: white space and a sign before a number are fine.
    EXPECT_EQ(ClockWindowLogic::ParsePosition(" 10,+310, 20,120"), (PixelRect{10, 20, 310, 120}));
}

TEST(ClockPositionTest, APartialParseKeepsTheDefaultsOfTheRest) {
    // Defaults: left 0, right 300, top 0, bottom 100.
    EXPECT_EQ(ClockWindowLogic::ParsePosition("10,310"), (PixelRect{10, 0, 310, 100}));
    EXPECT_EQ(ClockWindowLogic::ParsePosition("10"), (PixelRect{10, 0, 300, 100}));
    EXPECT_EQ(ClockWindowLogic::ParsePosition("10,310,x,120"), (PixelRect{10, 0, 310, 100}));
    EXPECT_EQ(ClockWindowLogic::ParsePosition("10 ,310,20,120"), (PixelRect{10, 0, 300, 100}));
    EXPECT_EQ(ClockWindowLogic::ParsePosition("garbage"), (PixelRect{0, 0, 300, 100}));
    EXPECT_EQ(ClockWindowLogic::ParsePosition(""), (PixelRect{0, 0, 300, 100}));
    // Numbers beyond 32 bits stop the parse instead of wrapping around.
    EXPECT_EQ(ClockWindowLogic::ParsePosition("10,99999999999,20,120"),
              (PixelRect{10, 0, 300, 100}));
    // Trailing text after the four numbers is ignored.
    EXPECT_EQ(ClockWindowLogic::ParsePosition("1,2,3,4,5;junk"), (PixelRect{1, 3, 2, 4}));
    const std::string_view withNul("7,8\0,9", 6);
    EXPECT_EQ(ClockWindowLogic::ParsePosition(withNul), (PixelRect{7, 0, 8, 100}));
}

TEST(ClockPositionTest, FormatsInTheOrderItIsRead) {
    const PixelRect r{10, 20, 310, 120};
    EXPECT_EQ(ClockWindowLogic::FormatPosition(r), "10,310,20,120");
    EXPECT_EQ(ClockWindowLogic::ParsePosition(ClockWindowLogic::FormatPosition(r)), r);
    EXPECT_EQ(ClockWindowLogic::FormatPosition({-2147483647 - 1, 0, 2147483647, 1}),
              "-2147483648,2147483647,0,1");
}

TEST(ClockPositionTest, ABrokenSizeIsBoundedButThePlaceKept) {
    const int minW = ClockWindowLogic::kMinimumWidth;
    const int minH = ClockWindowLogic::kMinimumHeight;
    EXPECT_EQ(ClockWindowLogic::BoundedSize({10, 20, 310, 120}, 1920, 1080),
              (PixelRect{10, 20, 310, 120}));
    // Off the screen stays off the screen ("Reset Clock Position" brings it back).
    EXPECT_EQ(ClockWindowLogic::BoundedSize({-5000, 9000, -4700, 9100}, 1920, 1080),
              (PixelRect{-5000, 9000, -4700, 9100}));
    EXPECT_EQ(ClockWindowLogic::BoundedSize(ClockWindowLogic::ParsePosition("0,2000000000,0,100"),
                                            1920, 1080),
              (PixelRect{0, 0, 1920, 100}));
    EXPECT_EQ(ClockWindowLogic::BoundedSize(
                  ClockWindowLogic::ParsePosition("-2147483648,2147483647,0,100"), 1920, 1080),
              (PixelRect{-2147483647 - 1, 0, -2147483647 - 1 + 1920, 100}));
    EXPECT_EQ(ClockWindowLogic::BoundedSize({50, 50, 10, 10}, 1920, 1080),
              (PixelRect{50, 50, 50 + minW, 50 + minH}));
    EXPECT_EQ(ClockWindowLogic::BoundedSize({2147483600, 0, 2147483647, 100}, 1920, 1080),
              (PixelRect{2147483647 - minW, 0, 2147483647, 100}));
}

TEST_F(ClockWindowLogicTest, CreationReadsTheStore) {
    EXPECT_EQ(logic.StoredPosition(), ClockWindowLogic::kDefaultPosition);
    EXPECT_TRUE(logic.StartsVisible());
    EXPECT_FALSE(logic.StartsTopmost());

    store.write(keys::DigitalClockPosition, "10,310,20,120");
    store.write(keys::DigitalClockEnabled, 2);  // only 1 shows it
    store.write(keys::ClockAlwayssOnTop, 5);    // any non-zero value is topmost
    store.write(keys::ClockEnableSegColor, 0x00FF00);
    store.write(keys::ClockDisableSegColor, 0x003000);
    store.write(keys::LocalTime, 0);
    store.write(keys::EnableDOY, 1);
    store.write(keys::TwentyFourHourMode, 0);
    EXPECT_EQ(logic.StoredPosition(), (PixelRect{10, 20, 310, 120}));
    EXPECT_FALSE(logic.StartsVisible());
    EXPECT_TRUE(logic.StartsTopmost());

    logic.LoadDisplaySettings();
    EXPECT_EQ(runtime.litColour, 0x00FF00u);
    EXPECT_EQ(runtime.unlitColour, 0x003000u);
    EXPECT_EQ(display.lit, 0x00FF00u);
    EXPECT_EQ(display.unlit, 0x003000u);
    EXPECT_EQ(display.localTime, 0);
    EXPECT_EQ(display.dayOfYear, 1);
    EXPECT_EQ(display.twentyFourHour, 0);
}

TEST_F(ClockWindowLogicTest, ThicknessFollowsTheClientWidth) {
    EXPECT_EQ(ClockWindowLogic::ThicknessFor(292, 0), 3);
    EXPECT_EQ(ClockWindowLogic::ThicknessFor(292, 1), 3);
    EXPECT_EQ(ClockWindowLogic::ThicknessFor(1912, 0), 23);
    EXPECT_EQ(ClockWindowLogic::ThicknessFor(1912, 1), 20);
    EXPECT_EQ(ClockWindowLogic::ThicknessFor(79, 0), 0);
    EXPECT_EQ(ClockWindowLogic::ThicknessFor(1912, 2), 23);  // only 1 means the day of year
    display.dayOfYear = 1;
    logic.ApplyThickness(950);
    EXPECT_EQ(display.thickness, 10);
}

TEST_F(ClockWindowLogicTest, TheFirstMoveOfADragOnlySetsTheAnchor) {
    EXPECT_EQ(logic.dragging(), 0);
    EXPECT_FALSE(logic.MoveMouse({50, 50}, true));  // no press: nothing
    logic.PressLeft();
    EXPECT_EQ(logic.dragging(), 1);
    EXPECT_TRUE(logic.firstMovePending());
    EXPECT_FALSE(logic.MoveMouse({60, 40}, false));  // button no longer down: ignored
    EXPECT_TRUE(logic.firstMovePending());

    EXPECT_EQ(logic.MoveMouse({60, 40}, true), (PixelPoint{0, 0}));
    EXPECT_FALSE(logic.firstMovePending());
    EXPECT_EQ(logic.anchor(), (PixelPoint{60, 40}));
    EXPECT_EQ(logic.MoveMouse({75, 30}, true), (PixelPoint{15, -10}));
    EXPECT_EQ(logic.MoveMouse({60, 40}, true), (PixelPoint{0, 0}));

    logic.ReleaseLeft();
    EXPECT_EQ(logic.dragging(), 0);
    EXPECT_FALSE(logic.MoveMouse({90, 90}, true));

    // The next drag takes a new anchor.
    logic.PressLeft();
    EXPECT_EQ(logic.MoveMouse({5, 5}, true), (PixelPoint{0, 0}));
    EXPECT_EQ(logic.anchor(), (PixelPoint{5, 5}));
}

TEST_F(ClockWindowLogicTest, TheBorderResizesAndTheSizeHasAFloor) {
    EXPECT_EQ(ClockWindowLogic::EdgesAt({0, 50}, 300, 100), kLeftEdge);
    EXPECT_EQ(ClockWindowLogic::EdgesAt({3, 3}, 300, 100), kLeftEdge | kTopEdge);
    EXPECT_EQ(ClockWindowLogic::EdgesAt({4, 4}, 300, 100), kNoEdge);
    EXPECT_EQ(ClockWindowLogic::EdgesAt({295, 50}, 300, 100), kNoEdge);
    EXPECT_EQ(ClockWindowLogic::EdgesAt({296, 99}, 300, 100), kRightEdge | kBottomEdge);
    EXPECT_EQ(ClockWindowLogic::EdgesAt({150, 96}, 300, 100), kBottomEdge);

    const PixelRect start{100, 100, 400, 200};
    EXPECT_EQ(ClockWindowLogic::ResizedRect(start, kRightEdge, 50, 30),
              (PixelRect{100, 100, 450, 200}));
    EXPECT_EQ(ClockWindowLogic::ResizedRect(start, kLeftEdge | kTopEdge, -10, 20),
              (PixelRect{90, 120, 400, 200}));
    const PixelRect tiny =
        ClockWindowLogic::ResizedRect(start, kLeftEdge | kBottomEdge, 1000, -1000);
    EXPECT_EQ(tiny.width(), ClockWindowLogic::kMinimumWidth);
    EXPECT_EQ(tiny.height(), ClockWindowLogic::kMinimumHeight);
    EXPECT_EQ(tiny.right, 400);
    EXPECT_EQ(tiny.top, 100);

    EXPECT_FALSE(logic.resizing());
    EXPECT_FALSE(logic.ResizeTo({0, 0}));
    logic.BeginResize(kBottomEdge, {500, 500}, start);
    EXPECT_TRUE(logic.resizing());
    EXPECT_EQ(logic.ResizeTo({900, 520}), (PixelRect{100, 100, 400, 220}));
    logic.EndResize();
    EXPECT_FALSE(logic.resizing());
}

TEST_F(ClockWindowLogicTest, NothingStoredChecksCustomColorAndTheDefaults) {
    logic.LoadDisplaySettings();
    EXPECT_TRUE(logic.IsChecked(command::kCustomClockColor));
    EXPECT_FALSE(logic.IsChecked(command::kBlueClock));
    EXPECT_FALSE(logic.IsChecked(command::kGreenClock));
    EXPECT_FALSE(logic.IsChecked(command::kRedClock));
    EXPECT_EQ(display.lit, 0xFF0000u);
    EXPECT_EQ(display.unlit, 0x400000u);
    EXPECT_FALSE(logic.IsChecked(command::kAlwaysOnTop));
    EXPECT_TRUE(logic.IsChecked(command::kLocalTime));
    EXPECT_FALSE(logic.IsChecked(command::kUtcTime));
    EXPECT_TRUE(logic.IsChecked(command::kTwentyFourHourTime));
    EXPECT_FALSE(logic.IsChecked(command::kShowDayOfYear));
    for (const int32_t plain : {command::kSetClockNow, command::kHideClock, command::kHelpIndex,
                                command::kClockProperties}) {
        EXPECT_FALSE(logic.IsChecked(plain));
    }
}

TEST_F(ClockWindowLogicTest, ColourSchemesSetEverythingAndStore) {
    EXPECT_TRUE(logic.ChoosePreset(command::kRedClock));
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x0000FF);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x000030);
    EXPECT_EQ(store.read(keys::ClockColor), 32778);
    EXPECT_EQ(runtime.litColour, 0x0000FFu);
    EXPECT_EQ(display.unlit, 0x000030u);
    EXPECT_TRUE(logic.IsChecked(command::kRedClock));
    EXPECT_FALSE(logic.IsChecked(command::kCustomClockColor));

    EXPECT_TRUE(logic.ChoosePreset(command::kGreenClock));
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x00FF00);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x003000);

    const int writes = store.writeCount();
    EXPECT_FALSE(logic.ChoosePreset(command::kCustomClockColor));
    EXPECT_FALSE(logic.ChoosePreset(command::kHideClock));
    EXPECT_EQ(store.writeCount(), writes);

    logic.ApplyCustomColors({0x102030, 0x010203});
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x102030);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x010203);
    EXPECT_EQ(store.read(keys::ClockColor), 32791);
    EXPECT_EQ(runtime.unlitColour, 0x010203u);
    EXPECT_EQ(display.lit, 0x102030u);
}

TEST_F(ClockWindowLogicTest, TheColourTimerCopiesTheSharedPair) {
    WriteClockColors(runtime, {0x00FF00, 0x003000});  // e.g. chosen on the Time page
    EXPECT_EQ(display.lit, 0xFF0000u);
    logic.CopyColorsToDisplay();
    EXPECT_EQ(display.lit, 0x00FF00u);
    EXPECT_EQ(display.unlit, 0x003000u);
}

TEST_F(ClockWindowLogicTest, AlwaysOnTopToggles) {
    EXPECT_TRUE(logic.ToggleAlwaysOnTop());
    EXPECT_EQ(store.read(keys::ClockAlwayssOnTop), 1);
    EXPECT_TRUE(logic.IsChecked(command::kAlwaysOnTop));
    EXPECT_FALSE(logic.ToggleAlwaysOnTop());
    EXPECT_EQ(store.read(keys::ClockAlwayssOnTop), 0);
    store.write(keys::ClockAlwayssOnTop, 7);  // non-zero is on: the toggle turns it off
    EXPECT_FALSE(logic.IsChecked(command::kAlwaysOnTop));
    EXPECT_FALSE(logic.ToggleAlwaysOnTop());
    EXPECT_EQ(store.read(keys::ClockAlwayssOnTop), 0);
}

TEST_F(ClockWindowLogicTest, DisplayChoicesToggleAndStore) {
    logic.SetLocalTime(false);
    EXPECT_EQ(store.read(keys::LocalTime), 0);
    EXPECT_EQ(display.localTime, 0);
    EXPECT_TRUE(logic.IsChecked(command::kUtcTime));
    logic.SetLocalTime(true);
    EXPECT_EQ(store.read(keys::LocalTime), 1);
    EXPECT_TRUE(logic.IsChecked(command::kLocalTime));

    logic.ToggleTwentyFourHour();
    EXPECT_EQ(display.twentyFourHour, 0);
    EXPECT_EQ(store.read(keys::TwentyFourHourMode), 0);
    display.twentyFourHour = 3;  // any value but 1 becomes 1
    logic.ToggleTwentyFourHour();
    EXPECT_EQ(display.twentyFourHour, 1);
    EXPECT_EQ(store.read(keys::TwentyFourHourMode), 1);

    logic.ToggleDayOfYear();
    EXPECT_EQ(display.dayOfYear, 1);
    EXPECT_EQ(store.read(keys::EnableDOY), 1);
    EXPECT_TRUE(logic.IsChecked(command::kShowDayOfYear));
    logic.ToggleDayOfYear();
    EXPECT_EQ(display.dayOfYear, 0);
    EXPECT_EQ(store.read(keys::EnableDOY), 0);
}

TEST_F(ClockWindowLogicTest, HideAndShowAndPositionAreStored) {
    logic.Hide();
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 0);
    EXPECT_FALSE(logic.StartsVisible());
    logic.MarkShown();
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);
    logic.SavePosition({10, 20, 310, 120});
    EXPECT_EQ(store.read(keys::DigitalClockPosition), "10,310,20,120");
    EXPECT_EQ(logic.StoredPosition(), (PixelRect{10, 20, 310, 120}));
}

}  // namespace
}  // namespace horalux
