#pragma once

#include <cstdint>

// The command identifiers of the tray menu and of the desktop clock's menu, and the message a
// later copy of the program sends. The clock's colour commands double as the values of the
// "Clock Color" setting.
namespace horalux::command {

inline constexpr int32_t kProperties = 32770;   // tray: open the properties window
inline constexpr int32_t kSetClockNow = 32774;  // tray and clock: "&Set PC Clock Now"
inline constexpr int32_t kRedClock = 32778;
inline constexpr int32_t kGreenClock = 32779;
inline constexpr int32_t kBlueClock = 32780;
inline constexpr int32_t kHideClock = 32781;
inline constexpr int32_t kShowClock = 32782;  // tray: "Show &Clock"
inline constexpr int32_t kTwentyFourHourTime = 32783;
inline constexpr int32_t kShowDayOfYear = 32784;
inline constexpr int32_t kLocalTime = 32785;
inline constexpr int32_t kUtcTime = 32786;
inline constexpr int32_t kClockProperties = 32787;  // clock: "&Properties"
inline constexpr int32_t kResetClockPosition = 32788;
inline constexpr int32_t kAlwaysOnTop = 32789;
inline constexpr int32_t kCustomClockColor = 32791;
inline constexpr int32_t kExit = 57665;
inline constexpr int32_t kHelpIndex = 57667;  // tray "&Help Topics", clock "Help Topics..."
inline constexpr int32_t kOpenPropertiesMessage = 1025;  // from a later copy of the program

}  // namespace horalux::command
