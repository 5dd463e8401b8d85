#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sync/clock_setter.h"

namespace horalux {

// What an update took its time from.
enum class UpdateReference { Gps, Sntp, Daytime };

// How one clock update ended: Set, or why the clock was left alone. Each value has a key (kept in
// the record of updates and printed by horalux-diag) and words (shown to the user); a reason
// added later is one more row of the table in update_outcome.cpp.
enum class UpdateResult {
    Set,
    // GPS
    NotLocked,
    LocalHour,
    NoTurnOver,
    InvalidTime,
    DelayOutOfRange,
    LeftToChronyd,  // GPS time is fed to chronyd, which sets the clock
    Stopped,
    // network
    BadServerName,
    NameNotFound,
    ServerUnreachable,
    ServerSilent,
    ServerRefused,
    BadReply,
    // NTS
    NtsCertificate,
    NtsRefused,
    NtsNoCookies,
    NtsNotAuthentic,
    // setting the clock
    PrivilegeMissing,
    NotAuthorized,
    HelperFailed,
    ClockRefused,
};

// One clock update as the worker's caller receives it when the update ends.
struct UpdateOutcome {
    int64_t timeMs = 0;  // when it ended, UTC milliseconds since 1970 by the PC's clock
    UpdateReference reference = UpdateReference::Gps;
    // GPS: the sentence the time came from ("GGA", "RMC", "ZDA"); network: the server's name.
    std::string source;
    UpdateResult result = UpdateResult::Set;
    // When set: the new PC time minus the PC time read right before setting, in milliseconds.
    std::optional<int64_t> correctionMs;
    // SNTP: the round-trip delay of the reply used, in milliseconds.
    std::optional<double> delayMs;
    // The setting of the clock, when one was tried: why it was or was not set (the privilege
    // line of the System Configuration page follows it). Not kept in the record.
    std::optional<ClockSetOutcome> clock;
    // A failure in the client's own words (for diagnostics). Not kept in the record.
    std::string detail;

    friend bool operator==(const UpdateOutcome&, const UpdateOutcome&) = default;
};

const char* ReferenceKey(UpdateReference reference);  // "GPS", "SNTP", "Daytime"
std::optional<UpdateReference> ReferenceFromKey(std::string_view key);
const char* ResultKey(UpdateResult result);  // "set", "not-locked", "local-hour", ...
std::optional<UpdateResult> ResultFromKey(std::string_view key);
// The result in a few words: "set", "not locked", "local hour 23 or 1", "server silent", ...
const char* ResultWords(UpdateResult result);

// The time sentence's name for GpsState::timeSource (0 GGA, 1 RMC, 2 ZDA).
const char* SentenceName(int timeSource);

// A correction as the user reads it, with a real minus sign: "+312 ms", "−12 ms", "+2.500 s"
// (whole milliseconds below a second, seconds with three decimals from a second on).
std::string FormatCorrection(int64_t ms);

// Where the time came from: "GPS (GGA)", "SNTP, 127.0.0.1:12300".
std::string DescribeSource(const UpdateOutcome& outcome);

// When, from what and how: "2024-05-01 14:02:03 UTC, SNTP, 127.0.0.1:12300: set" or
// "... GPS (GGA): not set, local hour 23 or 1".
std::string DescribeOutcome(const UpdateOutcome& outcome);

// The outcome in a few words for the tray's tip: "Set 14:02 UTC, +312 ms", "Not set: not locked".
std::string OutcomeTip(const UpdateOutcome& outcome);

}  // namespace horalux
