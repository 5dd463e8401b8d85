#include "sync/gps_clock_setter.h"

#include <algorithm>

#include "app/settings_keys.h"
#include "platform/system_clock.h"

namespace horalux {

namespace {

constexpr int64_t kHalfDayMs = 12LL * 3600 * 1000;
constexpr int64_t kDayMs = 24LL * 3600 * 1000;

enum class Wait { TurnedOver, TimedOut, Stopped };

int secondOfDay(const GpsTimeSnapshot& t) {
    return (t.utcHour * 60 + t.utcMinute) * 60 + t.utcSecond;
}

// Sleeps until the GPS second differs from last.utcSecond: the parser wakes the wait as soon as it
// has decoded a time sentence. With `successorOnly`, a change counts only when the new time of
// day lies one or two seconds after `last` (a receiver may drop a second); anything else (the
// reader's reset of a silent receiver to 00:00:00, a garbled time) becomes the new reference and
// the wait goes on. `last` receives the time that ended the wait.
Wait waitForTurnOver(const GpsState& gps, GpsTimeSnapshot& last, bool successorOnly,
                     const std::stop_token& stop, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (!gps.WaitForSecondChange(last.utcSecond, deadline, stop)) {
            return stop.stop_requested() ? Wait::Stopped : Wait::TimedOut;
        }
        const GpsTimeSnapshot now = gps.timeSnapshot();
        const int step = ((secondOfDay(now) - secondOfDay(last)) % 86400 + 86400) % 86400;
        last = now;
        if (!successorOnly || step == 1 || step == 2) {
            return Wait::TurnedOver;
        }
    }
}

}  // namespace

int64_t MillisSinceArrival(const std::optional<TimeSentenceArrival>& arrival,
                           const GpsTimeSnapshot& time) {
    if (!IsTimedArrivalOf(arrival, time)) {
        return 0;
    }
    return std::clamp<int64_t>((steadyNanos() - arrival->arrivalNs + 500000) / 1000000, 0, 999);
}

std::optional<SystemTime> ComposeGpsTime(const SystemTime& pcUtc, const GpsTimeSnapshot& gps,
                                         int delayMs) {
    if (delayMs < kMinGpsTimeDelay || delayMs > kMaxGpsTimeDelay || !isValidSystemTime(pcUtc)) {
        return std::nullopt;
    }
    if (gps.utcHour < 0 || gps.utcHour > 23 || gps.utcMinute < 0 || gps.utcMinute > 59 ||
        gps.utcSecond < 0 || gps.utcSecond > 59) {
        return std::nullopt;
    }
    SystemTime t = pcUtc;
    const bool zdaDate = gps.zdaDateValid == 1;
    if (zdaDate) {
        t.year = gps.zdaYear;
        t.month = gps.zdaMonth;
        t.day = gps.zdaDay;
    }
    t.hour = static_cast<uint16_t>(gps.utcHour);
    t.minute = static_cast<uint16_t>(gps.utcMinute);
    t.second = static_cast<uint16_t>(gps.utcSecond);
    t.milliseconds = 0;
    if (!isValidSystemTime(t)) {
        return std::nullopt;  // e.g. a ZDA sentence whose date fields were empty
    }
    int64_t millis = toUnixMillis(t);
    if (!zdaDate) {
        const int64_t pc = toUnixMillis(pcUtc);
        if (millis - pc > kHalfDayMs) {
            millis -= kDayMs;
        } else if (pc - millis > kHalfDayMs) {
            millis += kDayMs;
        }
    }
    SystemTime result = utcFromUnixMillis(millis + delayMs);
    if (!isValidSystemTime(result)) {
        return std::nullopt;
    }
    return result;
}

GpsClockResult SetClockFromGps(SyncContext& ctx, std::stop_token stop,
                               std::chrono::milliseconds turnOverTimeout) {
    if (ctx.runtime.feedChrony.load() == 1) {
        return GpsClockResult::LeftToChronyd;  // chronyd slews the clock: no step under its feet
    }
    const int32_t delay = ctx.store.read(keys::GPSTimeDelay);
    if (delay < kMinGpsTimeDelay || delay > kMaxGpsTimeDelay) {
        return GpsClockResult::DelayOutOfRange;
    }
    const uint16_t localHour = ctx.clock.localNow().hour;
    if (localHour == 23 || localHour == 1) {
        return GpsClockResult::LocalHourSkipped;
    }
    if (ctx.flags.timeLocked.load() == 0) {
        return GpsClockResult::NotLocked;
    }

    // Twice: the first turn-over may come from any earlier state; the second, which the clock
    // is set from, must follow on from the first.
    GpsTimeSnapshot gps = ctx.gps.timeSnapshot();
    for (bool successorOnly : {false, true}) {
        switch (waitForTurnOver(ctx.gps, gps, successorOnly, stop, turnOverTimeout)) {
            case Wait::TurnedOver:
                break;
            case Wait::TimedOut:
                return GpsClockResult::NoTurnOver;
            case Wait::Stopped:
                return GpsClockResult::Stopped;
        }
    }

    // Straight on after the turn-over. The time this thread took to wake since the reader saw the
    // sentence's end is added, so that a busy machine does not set the clock late.
    const SystemTime pcUtc = ctx.clock.utcNow();
    const int64_t sinceArrival = MillisSinceArrival(ctx.gps.LastArrival(), gps);
    const std::optional<SystemTime> target = ComposeGpsTime(pcUtc, gps, delay);
    if (!target) {
        return GpsClockResult::InvalidTime;
    }
    const SystemTime now = utcFromUnixMillis(toUnixMillis(*target) + sinceArrival);
    return ctx.setter.apply(CorrectionFrom(pcUtc, now), stop).set() ? GpsClockResult::Set
                                                                    : GpsClockResult::Refused;
}

}  // namespace horalux
