#pragma once

#include <array>
#include <cstdint>

#include "app/command_ids.h"

namespace horalux {

// One entry of the tray's popup menu; command 0 is a separator.
struct TrayMenuEntry {
    int command;
    const char* text;
};

// The tray's popup menu, in order.
inline constexpr std::array<TrayMenuEntry, 8> kTrayMenu{{
    {command::kProperties, "&Properties..."},
    {command::kSetClockNow, "&Set PC Clock Now"},
    {0, ""},
    {command::kShowClock, "Show &Clock"},
    {command::kResetClockPosition, "&Reset Clock Position"},
    {0, ""},
    {command::kHelpIndex, "&Help Topics"},
    {command::kExit, "&Exit"},
}};

// How the menu's entries look when it opens.
struct TrayMenuState {
    bool setClockNowEnabled = false;  // only while GPS time is locked (always in network mode)
    bool showClockChecked = false;    // exactly when the desktop clock is visible

    friend bool operator==(const TrayMenuState&, const TrayMenuState&) = default;
};

TrayMenuState TrayMenuStateFor(int32_t timeLocked, bool clockVisible);

}  // namespace horalux
