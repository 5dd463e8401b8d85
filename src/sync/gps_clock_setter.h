#pragma once

#include <chrono>
#include <optional>
#include <stop_token>

#include "gps/gps_state.h"
#include "platform/system_time.h"
#include "sync/sync_context.h"

namespace horalux {

// How one GPS clock setting ended: every outcome but Set leaves the clock untouched. Refused: the
// clock setter's last outcome says why.
enum class GpsClockResult {
    Set,               // the clock was set to the GPS second plus the fix-up delay
    DelayOutOfRange,   // "GPSTimeDelay" lies outside -999..999
    LocalHourSkipped,  // the local hour is 23 or 1
    NotLocked,         // timeLocked is 0
    NoTurnOver,        // the GPS second did not turn over within the time-out
    Stopped,           // the owner asked the update to stop while it waited
    InvalidTime,       // the receiver's time or date is not a calendar time
    Refused,           // the clock was not set (no helper, polkit refused, the system refused)
    LeftToChronyd,     // "FeedChrony" is 1: chronyd sets the clock from the GPS time fed to it
};

// The fix-up delay's legal range in milliseconds.
inline constexpr int kMinGpsTimeDelay = -999;
inline constexpr int kMaxGpsTimeDelay = 999;
// How long the GPS second may stand still before an update gives up.
inline constexpr std::chrono::milliseconds kTurnOverTimeout{3000};

// The UTC time to set from the PC's UTC reading, the receiver's time fields and the fix-up delay:
// the date from the receiver's ZDA sentence when one has arrived, else the PC's; the receiver's
// hour, minute and second; plus the delay (a negative delay reaches into the previous second,
// with the calendar carry). Without a ZDA date, a combination more than 12 hours from the PC's
// reading is moved one day towards it, so a PC clock a few seconds off across UTC midnight cannot
// give a time a day wrong. Empty when the delay is out of range or the fields do not make a
// calendar time.
std::optional<SystemTime> ComposeGpsTime(const SystemTime& pcUtc, const GpsTimeSnapshot& gps,
                                         int delayMs);

// How long ago (ms, 0..999) the reader saw the end of the time sentence that named `time`: 0 when
// the arrival is not that sentence's or was not timed.
int64_t MillisSinceArrival(const std::optional<TimeSentenceArrival>& arrival,
                           const GpsTimeSnapshot& time);

// One GPS clock update, run on the worker's thread while the user-interface thread goes on
// decoding sentences: leaves the clock to chronyd while GPS time is fed to it, reads
// "GPSTimeDelay", skips local hours 23 and 1 and an unlocked receiver,
// waits for the GPS second to turn over twice (giving up when it stands still for
// turnOverTimeout, or at once when stop is requested) and sets the clock to the second just begun
// plus the delay, plus the time since the reader saw that second's sentence (the worker may wake
// late on a busy machine). The second turn-over counts only when the new time follows one or two
// seconds after the first: the reader's reset of a receiver that has fallen silent also moves the
// second (to 00:00:00), and must not set the clock to it.
GpsClockResult SetClockFromGps(SyncContext& ctx, std::stop_token stop = {},
                               std::chrono::milliseconds turnOverTimeout = kTurnOverTimeout);

}  // namespace horalux
