#include "clock/clock_colors.h"

#include "app/settings_keys.h"

namespace horalux {

ClockColors ReadClockColors(const RuntimeSettings& runtime) {
    return {runtime.litColour.load(), runtime.unlitColour.load()};
}

void WriteClockColors(RuntimeSettings& runtime, const ClockColors& colors) {
    runtime.litColour = colors.lit;
    runtime.unlitColour = colors.unlit;
}

ClockColors LoadClockColors(const SettingsStore& store) {
    return {static_cast<ColorRef>(store.read(keys::ClockEnableSegColor)),
            static_cast<ColorRef>(store.read(keys::ClockDisableSegColor))};
}

void StoreClockColors(SettingsStore& store, const ClockColors& colors) {
    store.write(keys::ClockEnableSegColor, static_cast<int32_t>(colors.lit));
    store.write(keys::ClockDisableSegColor, static_cast<int32_t>(colors.unlit));
}

const ClockColorPreset* PresetForCommand(int32_t command) {
    for (const ClockColorPreset& preset : kClockColorPresets) {
        if (preset.command == command) {
            return &preset;
        }
    }
    return nullptr;
}

const ClockColorPreset* PresetForListPosition(int position) {
    for (const ClockColorPreset& preset : kClockColorPresets) {
        if (preset.listPosition == position) {
            return &preset;
        }
    }
    return nullptr;
}

}  // namespace horalux
