#include "sync/delay_measurement.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>

#include "platform/time_capability.h"
#include "sync/gps_clock_setter.h"

namespace horalux {

namespace {

using Steady = std::chrono::steady_clock;

struct Arrival {
    double unixMs;  // on the measurement's steady clock
    int namedSecond;
};

}  // namespace

SteadyUtcClock::SteadyUtcClock()
    : anchorUnixMs_(systemUnixMillis()), anchorSteadyNs_(steadyNanos()) {}

double SteadyUtcClock::unixMillisAt(int64_t steadyNs) const {
    return static_cast<double>(anchorUnixMs_) +
           static_cast<double>(steadyNs - anchorSteadyNs_) / 1e6;
}

SystemTime SteadyUtcClock::utcNow() const {
    return utcFromUnixMillis(static_cast<int64_t>(unixMillisAt(steadyNanos())));
}

SystemTime SteadyUtcClock::localNow() const {
    return utcNow();  // a measurement has no use for local time
}

DelayMeasurement::DelayMeasurement(const GpsState& gps, std::string server, SntpQuery query,
                                   std::chrono::milliseconds duration)
    : gps_(gps), server_(std::move(server)), query_(std::move(query)), duration_(duration) {
    progress_.totalSeconds = std::chrono::duration<double>(duration_).count();
}

DelayMeasurement::SntpQuery DelayMeasurement::SntpQueryFor(const std::string& server) {
    return [server](SystemClock& clock) -> std::optional<SntpResult> {
        NoTimeCapability noCapability;
        ClockSetter never(clock, noCapability);
        SntpClient client(clock, never);
        SntpResult result;
        if (client.Query(server, result, SntpClient::kSntpPort) == 0) {
            return std::nullopt;
        }
        return result;
    };
}

double DelayMeasurement::DelayMs(double trueUnixMs, int namedSecond) {
    constexpr double kDayMs = 86400000.0;
    double delay = std::fmod(trueUnixMs - namedSecond * 1000.0, kDayMs);
    if (delay < 0) {
        delay += kDayMs;
    }
    return delay > kDayMs / 2 ? delay - kDayMs : delay;
}

DelayProgress DelayMeasurement::progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

DelayResult DelayMeasurement::Run(const std::stop_token& stop) {
    SteadyUtcClock clock;
    const auto start = Steady::now();
    const auto end = start + duration_;
    uint64_t lastSequence = gps_.LastArrivalSequence();
    std::vector<Arrival> arrivals;
    std::vector<SntpResult> exchanges;
    auto nextQuery = start;
    std::mutex sleepMutex;
    std::condition_variable_any sleeper;

    for (;;) {
        for (const TimeSentenceArrival& a : gps_.ArrivalsAfter(lastSequence)) {
            lastSequence = a.sequence;
            arrivals.push_back({clock.unixMillisAt(a.arrivalNs),
                                (a.utcHour * 60 + a.utcMinute) * 60 + a.utcSecond});
        }
        const auto now = Steady::now();
        {
            std::lock_guard lock(mutex_);
            progress_.elapsedSeconds = std::min(progress_.totalSeconds,
                                                std::chrono::duration<double>(now - start).count());
            progress_.sentences = static_cast<int>(arrivals.size());
            progress_.sntpAnswers = static_cast<int>(exchanges.size());
        }
        if (stop.stop_requested() || now >= end) {
            break;
        }
        if (now >= nextQuery) {
            // Also at the very end, below: the exchanges span the whole measurement.
            if (std::optional<SntpResult> r = query_(clock)) {
                exchanges.push_back(*r);
            }
            nextQuery += kSntpEvery;
            continue;
        }
        std::unique_lock lock(sleepMutex);
        sleeper.wait_until(lock, stop,
                           std::min({nextQuery, end, now + std::chrono::milliseconds(200)}),
                           [] { return false; });
    }

    DelayResult result;
    result.server = server_;
    if (stop.stop_requested()) {
        result.outcome = DelayOutcome::Stopped;
        result.text = "Stopped.";
    } else {
        if (std::optional<SntpResult> r = query_(clock)) {
            exchanges.push_back(*r);
        }
        const std::optional<SntpResult> best = BestSntpSample(exchanges);
        result.sntpAnswers = static_cast<int>(exchanges.size());
        if (!best) {
            result.outcome = DelayOutcome::NoServer;
            result.text = "The time server " + server_ +
                          " did not answer, so the receiver's delay could not be measured. "
                          "Nothing was stored.";
        } else if (static_cast<int>(arrivals.size()) < kMinSentences) {
            result.outcome = DelayOutcome::NoSentences;
            result.text =
                "Too few time sentences came from the receiver (is it connected and locked, and "
                "does it send the sentence the time is taken from?), so its delay could not be "
                "measured. Nothing was stored.";
        } else {
            result.roundTripMs = RoundTripSeconds(*best) * 1000.0;
            std::vector<double> delays;
            for (const Arrival& a : arrivals) {
                delays.push_back(DelayMs(a.unixMs + best->offset * 1000.0, a.namedSecond));
            }
            result.figures = *DelayFiguresOf(delays);
            result.outcome = DelayOutcome::Measured;
            result.text = DelayText(result.figures, server_);
        }
    }
    std::lock_guard lock(mutex_);
    progress_.done = true;
    progress_.sntpAnswers = result.sntpAnswers;
    return result;
}

std::string DelayText(const DelayFigures& figures, const std::string& server) {
    return std::to_string(figures.medianMs) + " ms \u00b1 " + std::to_string(figures.spreadMs) +
           " ms, " + std::to_string(figures.samples) +
           (figures.samples == 1 ? " sentence" : " sentences") + " against " + server;
}

DelayMeasurementThread::DelayMeasurementThread(const GpsState& gps, std::string server,
                                               DelayMeasurement::SntpQuery query,
                                               std::chrono::milliseconds duration)
    : measurement_(gps, std::move(server), std::move(query), duration),
      thread_([this](const std::stop_token& stop) {
          DelayResult r = measurement_.Run(stop);
          std::lock_guard lock(mutex_);
          result_ = std::move(r);
      }) {}

DelayMeasurementThread::~DelayMeasurementThread() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::optional<DelayResult> DelayMeasurementThread::result() const {
    std::lock_guard lock(mutex_);
    return result_;
}

DelayToStore DecideDelayToStore(const DelayResult& result) {
    if (result.outcome != DelayOutcome::Measured) {
        return {std::nullopt, result.text};
    }
    const int median = result.figures.medianMs;
    if (median < kMinGpsTimeDelay || median > kMaxGpsTimeDelay) {
        return {std::nullopt, "The measured delay, " + std::to_string(median) +
                                  " ms, lies outside the fix-up delay's range of " +
                                  std::to_string(kMinGpsTimeDelay) + " to " +
                                  std::to_string(kMaxGpsTimeDelay) + " ms. Nothing was stored."};
    }
    return {median, {}};
}

}  // namespace horalux
