#pragma once

#include <array>
#include <string>

#include "platform/settings_store.h"

// Every key of the settings store, with its section, type and the default its readers pass.
// Sections and keys are spelled exactly as stored, misspellings included. Code reads and writes
// the store only through these names.
namespace horalux::keys {

inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kSerial = "Serial Port Commmunications";
inline constexpr const char* kNetwork = "Network Daytime Protocol";

// "Settings"
inline constexpr IntSetting TimeUpdateRate{kSettings, "TimeUpdateRate", 60};  // minutes, 1..44640
inline constexpr IntSetting UseTimrFrom{kSettings, "UseTimrFrom", 0};         // 0 GGA, 1 RMC, 2 ZDA
inline constexpr IntSetting TLGPSGood{kSettings, "TLGPSGood", 1};
inline constexpr IntSetting TLSats{kSettings, "TLSats", 3};
inline constexpr IntSetting UseNetworkTime{kSettings, "UseNetworkTime", 0};
inline constexpr IntSetting EnableSetBeep{kSettings, "EnableSetBeep", 0};
inline constexpr IntSetting ClockEnableSegColor{kSettings, "ClockEnableSegColor", 0xFF0000};
inline constexpr IntSetting ClockDisableSegColor{kSettings, "ClockDisableSegColor", 0x400000};
inline constexpr IntSetting ClockColor{kSettings, "Clock Color", 32791};
inline constexpr IntSetting ClockAlwayssOnTop{kSettings, "ClockAlwayssOnTop", 0};
inline constexpr IntSetting LocalTime{kSettings, "LocalTime", 1};
inline constexpr IntSetting EnableDOY{kSettings, "EnableDOY", 0};
inline constexpr IntSetting TwentyFourHourMode{kSettings, "24HourMode", 1};
inline constexpr IntSetting DigitalClockEnabled{kSettings, "DigitalClockEnabled", 1};
inline constexpr StringSetting DigitalClockPosition{kSettings, "DigitalClockPosition", ""};
inline constexpr IntSetting PositionFormat{kSettings, "PositionFormat", 0};
inline constexpr IntSetting Units{kSettings, "Units", 1};
inline constexpr IntSetting FirstTimeConfig{kSettings, "FirstTimeConfig", 1};
inline constexpr IntSetting GPSTimeDelay{kSettings, "GPSTimeDelay", 50};  // ms, -999..999
inline constexpr IntSetting EnableBubbleTip{kSettings, "EnableBubbleTip", 1};
// "UseSNTP" has two readers with different defaults: the Network Time page shows SNTP when
// nothing is stored, while the network clock update then uses Daytime.
inline constexpr IntSetting UseSNTPOnPage{kSettings, "UseSNTP", 1};
inline constexpr IntSetting UseSNTPForUpdate{kSettings, "UseSNTP", 0};
// 1 = SNTP updates are authenticated by NTS; the server is then an NTS key-exchange server.
inline constexpr IntSetting UseNTS{kSettings, "UseNTS", 0};
// 1 = GPS time goes to chronyd through a shared-memory refclock, and chronyd sets the clock.
inline constexpr IntSetting FeedChrony{kSettings, "FeedChrony", 0};
// The unit N of that refclock ("refclock SHM N"), 0..255; units 0 and 1 are root's by custom.
inline constexpr IntSetting ChronyShmUnit{kSettings, "ChronyShmUnit", 2};

// "Serial Port Commmunications"
inline constexpr IntSetting Port{kSerial, "Port", 1};
inline constexpr IntSetting Baud{kSerial, "Baud", 4800};
// A device path such as /dev/ttyACM0; when not empty it is opened instead of the numbered port.
inline constexpr StringSetting Device{kSerial, "Device", ""};

// "Network Daytime Protocol"
inline constexpr IntSetting TimeServerPort{kNetwork, "TimeServerPort", 13};
inline constexpr IntSetting NumberOfTimeServers{kNetwork, "NumberOfTimeServers", 0};
// "TimeServer" is read with a randomly chosen list entry as its default (the server list).
inline constexpr StringSetting TimeServer{kNetwork, "TimeServer", ""};
inline constexpr IntSetting UseRandomServer{kNetwork, "UseRandomServer", 0};

// "NetServer-00" to "NetServer-24": one server per slot; "None" marks an unused slot and a slot
// without a stored value reads as "Error".
inline constexpr int kServerSlots = 25;
inline constexpr const char* kNoServer = "None";
inline constexpr const char* kMissingServer = "Error";
std::string netServerKey(int slot);
StringSetting netServer(int slot);  // the key of one slot; its string lives for the whole run

// The whole table, for code that walks it (tests, diagnostics).
inline constexpr std::array kIntSettings{
    TimeUpdateRate,
    UseTimrFrom,
    TLGPSGood,
    TLSats,
    UseNetworkTime,
    EnableSetBeep,
    ClockEnableSegColor,
    ClockDisableSegColor,
    ClockColor,
    ClockAlwayssOnTop,
    LocalTime,
    EnableDOY,
    TwentyFourHourMode,
    DigitalClockEnabled,
    PositionFormat,
    Units,
    FirstTimeConfig,
    GPSTimeDelay,
    EnableBubbleTip,
    UseSNTPOnPage,
    UseSNTPForUpdate,
    UseNTS,
    FeedChrony,
    ChronyShmUnit,
    Port,
    Baud,
    TimeServerPort,
    NumberOfTimeServers,
    UseRandomServer,
};
inline constexpr std::array kStringSettings{DigitalClockPosition, Device, TimeServer};

}  // namespace horalux::keys
