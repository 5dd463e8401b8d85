#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "gps/gps_state.h"
#include "platform/system_clock.h"
#include "sync/delay_statistics.h"
#include "sync/sntp_client.h"

namespace horalux {

// A clock that reads the system time once and counts on from it with the steady clock: what a
// program does to the system clock (or its virtual one) meanwhile does not move it. It is never
// set.
class SteadyUtcClock final : public SystemClock {
  public:
    SteadyUtcClock();
    SystemTime utcNow() const override;
    SystemTime localNow() const override;
    bool setUtc(const SystemTime&) override { return false; }
    // The moment of a steady-clock reading (ns since boot, as NmeaReader takes them), in ms since
    // 1970 on this clock.
    double unixMillisAt(int64_t steadyNs) const;

  private:
    int64_t anchorUnixMs_;
    int64_t anchorSteadyNs_;
};

// How a measurement ended.
enum class DelayOutcome {
    Measured,
    NoServer,     // no SNTP exchange succeeded
    NoSentences,  // too few time sentences arrived (no receiver, no lock, wrong sentence)
    Stopped,      // asked to stop before the end
};

struct DelayResult {
    DelayOutcome outcome = DelayOutcome::Stopped;
    DelayFigures figures;
    std::string server;
    int sntpAnswers = 0;
    double roundTripMs = 0.0;  // of the exchange the offset was taken from
    // In words: "487 ms ± 6 ms, 60 sentences against time.example.org", or why nothing was
    // measured.
    std::string text;
};

// What a running measurement has done so far.
struct DelayProgress {
    double elapsedSeconds = 0.0;
    double totalSeconds = 0.0;
    int sentences = 0;
    int sntpAnswers = 0;
    bool done = false;
};

// Measures how late the receiver's time sentences (the sentence the clock is set from) arrive
// after the second they name: each one's arrival, as the sentence reader saw its end (GpsState's
// arrivals), is put on a time server's time scale by the offset of the best of several SNTP
// exchanges taken a few seconds apart while it runs; the delay of a sentence is that moment less
// the second it names. Never sets any clock.
//
// Run blocks its thread for the measurement's duration (and at most one SNTP reply time-out past
// a stop), so it runs on a thread of its own while the user-interface thread goes on reading the
// receiver; progress() may be read from any thread.
class DelayMeasurement {
  public:
    // One SNTP exchange with the server, timing it on `clock`; empty when it failed.
    using SntpQuery = std::function<std::optional<SntpResult>(SystemClock& clock)>;
    static constexpr std::chrono::seconds kDefaultDuration{60};
    static constexpr std::chrono::milliseconds kSntpEvery{4000};
    static constexpr int kMinSentences = 3;

    DelayMeasurement(const GpsState& gps, std::string server, SntpQuery query,
                     std::chrono::milliseconds duration = kDefaultDuration);

    // An SNTP query with the program's client (the server name may carry ":PORT").
    static SntpQuery SntpQueryFor(const std::string& server);

    DelayResult Run(const std::stop_token& stop);
    DelayProgress progress() const;

    // The delay of a sentence that named the UTC time of day `namedSecond` (seconds since
    // midnight) and arrived at `trueUnixMs` (ms since 1970 on the server's scale): within half a
    // day either way.
    static double DelayMs(double trueUnixMs, int namedSecond);

  private:
    const GpsState& gps_;
    std::string server_;
    SntpQuery query_;
    std::chrono::milliseconds duration_;

    mutable std::mutex mutex_;
    DelayProgress progress_;
};

// The text of a measured delay: "487 ms ± 6 ms, 60 sentences against time.example.org".
std::string DelayText(const DelayFigures& figures, const std::string& server);

// A measurement on a thread of its own, started at construction. Stop (or destruction) asks it
// to end; destruction waits for the thread, which ends within one SNTP reply time-out.
class DelayMeasurementThread {
  public:
    DelayMeasurementThread(const GpsState& gps, std::string server,
                           DelayMeasurement::SntpQuery query, std::chrono::milliseconds duration);
    ~DelayMeasurementThread();
    DelayMeasurementThread(const DelayMeasurementThread&) = delete;
    DelayMeasurementThread& operator=(const DelayMeasurementThread&) = delete;

    void Stop() { thread_.request_stop(); }
    DelayProgress progress() const { return measurement_.progress(); }
    // The result, once the measurement has ended.
    std::optional<DelayResult> result() const;

  private:
    DelayMeasurement measurement_;
    mutable std::mutex mutex_;
    std::optional<DelayResult> result_;
    std::jthread thread_;  // last: started once the rest is in place, joined first
};

// What "Use This Delay" does with a measurement's result: the value to store in "GPSTimeDelay"
// (the median, when the measurement succeeded and the median lies within -999..999 ms), or why
// nothing is stored.
struct DelayToStore {
    std::optional<int> value;
    std::string message;  // when nothing is stored
};
DelayToStore DecideDelayToStore(const DelayResult& result);

}  // namespace horalux
