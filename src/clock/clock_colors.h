#pragma once

#include <array>
#include <cstdint>

#include "app/command_ids.h"
#include "app/runtime_settings.h"
#include "clock/color_ref.h"
#include "platform/settings_store.h"

namespace horalux {

// The pair of segment colours. The process-wide pair lives in RuntimeSettings (litColour,
// unlitColour); the desktop clock and the Time page copy it into their displays.
struct ClockColors {
    ColorRef lit = 0xFF0000;    // blue 255
    ColorRef unlit = 0x400000;  // blue 64

    friend bool operator==(const ClockColors&, const ClockColors&) = default;
};

ClockColors ReadClockColors(const RuntimeSettings& runtime);
void WriteClockColors(RuntimeSettings& runtime, const ClockColors& colors);

// "ClockEnableSegColor" and "ClockDisableSegColor" in the store.
ClockColors LoadClockColors(const SettingsStore& store);
void StoreClockColors(SettingsStore& store, const ClockColors& colors);

// A colour scheme: its list entry, its "Clock Color" value (the command id of its menu entry)
// and, for the fixed schemes, its colours. Custom takes its colours from ClockColorDialog.
struct ClockColorPreset {
    const char* name;
    int32_t command;
    int listPosition;
    bool fixed;
    ClockColors colors;
};

inline constexpr std::array<ClockColorPreset, 4> kClockColorPresets{{
    {"Blue", command::kBlueClock, 0, true, {0xFF0000, 0x300000}},
    {"Green", command::kGreenClock, 1, true, {0x00FF00, 0x003000}},
    {"Red", command::kRedClock, 2, true, {0x0000FF, 0x000030}},
    {"Custom", command::kCustomClockColor, 3, false, {}},
}};

// The scheme of a "Clock Color" value or list position; null when there is none.
const ClockColorPreset* PresetForCommand(int32_t command);
const ClockColorPreset* PresetForListPosition(int position);

}  // namespace horalux
