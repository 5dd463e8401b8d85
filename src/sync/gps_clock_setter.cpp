#include "sync/gps_clock_setter.h"

#include <thread>

#include "app/settings_keys.h"

namespace horalux {

namespace {

constexpr int64_t kHalfDayMs = 12LL * 3600 * 1000;
constexpr int64_t kDayMs = 24LL * 3600 * 1000;

enum class Wait { TurnedOver, TimedOut, Stopped };

// Polls the GPS second until it differs from `second`, yielding between polls; `second` becomes
// the new value.
Wait waitForTurnOver(const GpsState& gps, int& second, const std::stop_token& stop,
                     std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (stop.stop_requested()) {
            return Wait::Stopped;
        }
        std::this_thread::yield();
        const int now = gps.utcSecondNow();
        if (now != second) {
            second = now;
            return Wait::TurnedOver;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Wait::TimedOut;
        }
    }
}

}  // namespace

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

    int second = ctx.gps.utcSecondNow();
    for (int turn = 0; turn < 2; ++turn) {
        switch (waitForTurnOver(ctx.gps, second, stop, turnOverTimeout)) {
            case Wait::TurnedOver:
                break;
            case Wait::TimedOut:
                return GpsClockResult::NoTurnOver;
            case Wait::Stopped:
                return GpsClockResult::Stopped;
        }
    }

    // Straight on after the turn-over: every microsecond here is an error in the clock.
    const SystemTime pcUtc = ctx.clock.utcNow();
    const GpsTimeSnapshot gps = ctx.gps.timeSnapshot();
    const std::optional<SystemTime> target = ComposeGpsTime(pcUtc, gps, delay);
    if (!target) {
        return GpsClockResult::InvalidTime;
    }
    return ctx.clock.setUtc(*target) ? GpsClockResult::Set : GpsClockResult::Refused;
}

}  // namespace horalux
