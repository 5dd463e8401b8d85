#pragma once

#include <cstdint>

// Command identifiers of the desktop clock's menu. The colour commands double as the values of
// the "Clock Color" setting.
namespace horalux::cmd {

inline constexpr int32_t SetPcClockNow = 32774;
inline constexpr int32_t RedClock = 32778;
inline constexpr int32_t GreenClock = 32779;
inline constexpr int32_t BlueClock = 32780;
inline constexpr int32_t HideClock = 32781;
inline constexpr int32_t TwentyFourHourTime = 32783;
inline constexpr int32_t ShowDayOfYear = 32784;
inline constexpr int32_t LocalTime = 32785;
inline constexpr int32_t UtcTime = 32786;
inline constexpr int32_t Properties = 32787;
inline constexpr int32_t AlwaysOnTop = 32789;
inline constexpr int32_t CustomClockColor = 32791;
inline constexpr int32_t HelpFinder = 57667;  // "Help Topics..."

}  // namespace horalux::cmd
