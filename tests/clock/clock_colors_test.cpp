#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "clock/clock_colors.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

TEST(ClockColorsTest, SchemesMatchTheirCommandsAndListPositions) {
    const ClockColorPreset* blue = PresetForCommand(32780);
    const ClockColorPreset* green = PresetForCommand(32779);
    const ClockColorPreset* red = PresetForCommand(32778);
    const ClockColorPreset* custom = PresetForCommand(32791);
    ASSERT_TRUE(blue && green && red && custom);
    EXPECT_EQ(blue->colors, (ClockColors{0xFF0000, 0x300000}));
    EXPECT_EQ(green->colors, (ClockColors{0x00FF00, 0x003000}));
    EXPECT_EQ(red->colors, (ClockColors{0x0000FF, 0x000030}));
    EXPECT_FALSE(custom->fixed);
    EXPECT_EQ(PresetForListPosition(0), blue);
    EXPECT_EQ(PresetForListPosition(1), green);
    EXPECT_EQ(PresetForListPosition(2), red);
    EXPECT_EQ(PresetForListPosition(3), custom);
    EXPECT_STREQ(PresetForListPosition(3)->name, "Custom");
    EXPECT_EQ(PresetForListPosition(4), nullptr);
    EXPECT_EQ(PresetForCommand(32781), nullptr);
    // Red 255 is the low byte.
    EXPECT_EQ(redOf(red->colors.lit), 255);
    EXPECT_EQ(makeColorRef(0, 0, 64), 0x400000u);
}

TEST(ClockColorsTest, TheUntouchedPairIsNotTheBlueScheme) {
    MemorySettingsStore store;
    const ClockColors colors = LoadClockColors(store);
    EXPECT_EQ(colors, (ClockColors{0xFF0000, 0x400000}));
    EXPECT_NE(colors, PresetForCommand(32780)->colors);
    EXPECT_EQ(store.read(keys::ClockColor), 32791);
}

TEST(ClockColorsTest, StoreAndRuntimeRoundTrip) {
    MemorySettingsStore store;
    StoreClockColors(store, {0x0000FF, 0x000030});
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x0000FF);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x000030);
    EXPECT_EQ(LoadClockColors(store), (ClockColors{0x0000FF, 0x000030}));

    RuntimeSettings runtime;
    EXPECT_EQ(ReadClockColors(runtime), (ClockColors{0xFF0000, 0x400000}));
    WriteClockColors(runtime, {0x123456, 0x654321});
    EXPECT_EQ(runtime.litColour, 0x123456u);
    EXPECT_EQ(runtime.unlitColour, 0x654321u);
}

}  // namespace
}  // namespace horalux
