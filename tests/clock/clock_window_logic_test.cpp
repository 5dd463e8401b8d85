#include <gtest/gtest.h>

#include <optional>
#include <vector>

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

// A drag is the program's own moves while the window system follows them; it goes to the window
// system's interactive move where the program cannot place windows, or where after five moves
// asked for the window stands at none of them (sway keeps the windows it floats centred).
TEST_F(ClockWindowLogicTest, ADragGoesToTheWindowSystemWhereItKeepsTheWindowItself) {
    struct {
        const char* what;
        std::optional<PixelPoint> standsAt;  // the window system's answer after five moves
        bool handOver;
    } const cases[] = {
        {"the moves are followed", PixelPoint{150, 100}, false},
        {"followed, a move behind", PixelPoint{140, 90}, false},
        {"kept where it was", PixelPoint{100, 50}, true},
        {"kept somewhere else", PixelPoint{490, 350}, true},
        {"no answer", std::nullopt, false},
    };
    for (const auto& c : cases) {
        logic.PressLeft();
        ASSERT_TRUE(logic.MoveMouse({10, 10}, true));  // the anchor
        EXPECT_FALSE(logic.HandToWindowSystem()) << c.what;
        logic.MoveRequested({100, 50}, {100, 50});  // no move: not counted
        for (int i = 1; i <= ClockWindowLogic::kIgnoredMoves; ++i) {
            EXPECT_FALSE(logic.WantsPlaceCheck()) << c.what << " after " << i - 1 << " moves";
            logic.MoveRequested({100 + 10 * (i - 1), 50 + 10 * (i - 1)},
                                {100 + 10 * i, 50 + 10 * i});
        }
        ASSERT_TRUE(logic.WantsPlaceCheck()) << c.what;
        logic.WindowStandsAt(c.standsAt);
        EXPECT_FALSE(logic.WantsPlaceCheck()) << c.what;  // once a drag
        EXPECT_EQ(logic.HandToWindowSystem(), c.handOver) << c.what;
        logic.WindowSystemDeclined();  // it has no interactive move: our own moves go on
        EXPECT_FALSE(logic.HandToWindowSystem()) << c.what;
        logic.ReleaseLeft();
    }
    // Where places are unknown (Wayland's own), the window system moves the window from the
    // first move on, and nothing is asked.
    logic.SetPlacesKnown(false);
    logic.PressLeft();
    EXPECT_TRUE(logic.HandToWindowSystem());
    EXPECT_FALSE(logic.WantsPlaceCheck());
}

TEST_F(ClockWindowLogicTest, HideAndShowAreStoredButNotOnceTheRunEnds) {
    logic.Hide();
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 0);
    EXPECT_FALSE(logic.StartsVisible());
    logic.MarkShown();
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);
    logic.EndRun();  // the program's windows close as it ends: no "Hide"
    logic.Hide();
    EXPECT_TRUE(logic.ending());
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);
}

// Only a place the user gave the clock is stored, and only where the window system tells places.
TEST_F(ClockWindowLogicTest, OnlyAPlaceTheUserGaveIsStored) {
    store.write(keys::DigitalClockPosition, "1,2,3,4");
    const int writes = store.writeCount();
    logic.SavePosition();  // a colour change or the program's end, nothing moved: nothing
    EXPECT_EQ(store.writeCount(), writes);

    EXPECT_FALSE(logic.HoldsSize());
    logic.SetPlacesKnown(false);     // Wayland's own: the place of a window is the compositor's
    EXPECT_TRUE(logic.HoldsSize());  // so that a tiling compositor floats it
    logic.UserPlaced({10, 20, 310, 120});
    logic.SavePosition();
    EXPECT_EQ(store.writeCount(), writes);
    EXPECT_EQ(store.read(keys::DigitalClockPosition), "1,2,3,4");

    logic.SetPlacesKnown(true);
    logic.UserPlaced({10, 20, 310, 120});  // a drag or a resize ended
    EXPECT_EQ(store.read(keys::DigitalClockPosition), "10,310,20,120");
    EXPECT_EQ(logic.StoredPosition(), (PixelRect{10, 20, 310, 120}));
    store.write(keys::DigitalClockPosition, "");
    logic.SavePosition();  // later: the user's place again, whatever the window has now
    EXPECT_EQ(store.read(keys::DigitalClockPosition), "10,310,20,120");
}

// A stored place the mouse cannot reach is brought wholly onto the screen it moves least to reach;
// any place of which at least 16 x 16 pixels (or the whole clock, where smaller) lie on a screen
// stays.
TEST(ClockPositionTest, APlaceOffEveryScreenComesOntoTheNearest) {
    const PixelRect single{0, 0, 1280, 800};
    const PixelRect left{-1920, 0, 0, 1080};  // a second screen left of the main one, taller
    const PixelRect above{0, -1024, 1280, 0};
    struct Case {
        const char* what;
        std::vector<PixelRect> screens;
        PixelRect stored;
        PixelRect placed;
    } const cases[] = {
        {"on the screen", {single}, {200, 150, 500, 250}, {200, 150, 500, 250}},
        {"16 pixels in at a corner", {single}, {-284, -84, 16, 16}, {-284, -84, 16, 16}},
        {"15 pixels in", {single}, {-285, -84, 15, 16}, {0, 0, 300, 100}},
        {"left and above", {single}, {-900, -500, -600, -400}, {0, 0, 300, 100}},
        {"right of the screen", {single}, {1500, 300, 1800, 400}, {980, 300, 1280, 400}},
        {"below the screen", {single}, {100, 900, 400, 1000}, {100, 700, 400, 800}},
        {"far away in 32 bits", {single}, {2147483000, 5, 2147483300, 105}, {980, 5, 1280, 105}},
        {"larger than the screen", {single}, {-5000, -5000, -3000, -4000}, {0, 0, 1280, 800}},
        {"on the left screen", {single, left}, {-1000, 900, -700, 1000}, {-1000, 900, -700, 1000}},
        {"below the left screen",
         {single, left},
         {-1000, 1100, -700, 1200},
         {-1000, 980, -700, 1080}},
        {"below both, nearer the left",
         {single, left},
         {100, 1200, 400, 1300},
         {-300, 980, 0, 1080}},
        {"in the gap below the main", {single, left}, {10, 850, 310, 950}, {10, 700, 310, 800}},
        {"above the upper screen", {single, above}, {0, -2000, 300, -1900}, {0, -1024, 300, -924}},
        {"no screens", {}, {-900, -500, -600, -400}, {-900, -500, -600, -400}},
        {"an empty screen only",
         {{0, 0, 0, 0}},
         {-900, -500, -600, -400},
         {-900, -500, -600, -400}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClockWindowLogic::OntoNearestScreen(c.stored, c.screens), c.placed) << c.what;
    }
}

}  // namespace
}  // namespace horalux
