#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

#include "gps/serial_input.h"

namespace horalux {

struct SatelliteInfo {
    int prn = 0;
    int azimuth = 0;
    int elevation = 0;
    int used = 0;
    int snr = 0;
    friend bool operator==(const SatelliteInfo&, const SatelliteInfo&) = default;
};

struct SignalInfo {
    int prn = 0;
    int snr = 0;
    int used = 0;
    friend bool operator==(const SignalInfo&, const SignalInfo&) = default;
};

// The time fields of one decoded sentence, read together by the clock setter on its own thread.
struct GpsTimeSnapshot {
    int utcHour = 0;
    int utcMinute = 0;
    int utcSecond = 0;
    int zdaDateValid = 0;
    uint16_t zdaYear = 0;
    uint8_t zdaMonth = 0;
    uint8_t zdaDay = 0;
};

// When the sentence reader saw the end of the first sentence of a new second that set the time
// fields (the sentence the clock is set from, "UseTimrFrom"), and the time it named.
struct TimeSentenceArrival {
    uint64_t sequence = 0;  // 1 for the first time sentence since the program started
    int64_t arrivalNs = 0;  // steady clock (time since boot), when its bytes were read
    int utcHour = 0;
    int utcMinute = 0;
    int utcSecond = 0;
};

// Whether `arrival` is the timed arrival of the sentence whose time fields are `time` (not an
// untimed one, nor one the record has since moved on from, by a later second or a reset).
bool IsTimedArrivalOf(const std::optional<TimeSentenceArrival>& arrival,
                      const GpsTimeSnapshot& time);

// The one record of what the GPS receiver last reported, shared by the reader, the parser, the
// time-lock test, the clock setter and the pages.
//
// Threads: only the user-interface thread writes. The clock setter on the worker thread reads
// the time fields through timeSnapshot()/utcSecondNow(); the parser decodes each sentence while
// holding publishMutex(), so those reads see the hour, minute and ZDA date of the same sentence
// as the second. Every change of the time fields (a decoded time sentence, a reset) wakes the
// threads waiting in WaitForSecondChange.
class GpsState {
  public:
    static constexpr int kTableSize = 32;
    static constexpr int kPrnFlags = 33;
    // Time sentence arrivals kept for readers on other threads (half a minute at one a second).
    static constexpr size_t kArrivalsKept = 32;

    GpsState();

    int readerState = 1;  // framing state 1..5 of the sentence reader; 1 = waiting for '$'
    int idleSeconds = 0;  // local-clock second changes since the last dispatched sentence (<= 3)
    int stale = 0;        // 1 = no sentence for 3 seconds and the record has been reset
    int satellitesInView = 0;
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double altitude = 0.0;   // metres above mean sea level
    int fixQuality = 0;
    int utcHour = 0;
    int utcMinute = 0;
    int utcSecond = 0;
    int sentenceCount = 0;
    std::array<int, kPrnFlags> usedInFix{};  // index = PRN 0..32
    std::array<SatelliteInfo, kTableSize> satellites{};
    std::array<SignalInfo, kTableSize> signals{};
    SerialInput* portHandle = nullptr;  // the open serial port, or null when none is open
    int gsvSentenceCount = 0;
    uint16_t satellitesUsed = 0;
    int16_t timeSource = 0;  // which sentence sets the time: 0 GGA, 1 RMC, 2 ZDA
    int zdaDateValid = 0;
    uint8_t zdaDay = 0;
    uint8_t zdaMonth = 0;
    uint16_t zdaYear = 0;

    void GetPosition(double& lat, double& lon, double& alt) const;
    void CopySatellites(std::array<SatelliteInfo, kTableSize>& out) const;
    void CopySignals(std::array<SignalInfo, kTableSize>& out) const;
    int GetSatellitesInView() const { return satellitesInView; }
    // Back to "nothing received"; leaves the reader's fields, the port, the time source, the ZDA
    // date and entries 12 to 31 of both tables alone.
    void Reset();

    // Cross-thread access to the time fields (see the class comment).
    std::mutex& publishMutex() const { return publishMutex_; }
    GpsTimeSnapshot timeSnapshot() const;
    int utcSecondNow() const;

    // Sleeps until utcSecond differs from `second` (true), or until the deadline passes or stop is
    // requested (false). Never spins: the parser and Reset wake it.
    bool WaitForSecondChange(int second, std::chrono::steady_clock::time_point deadline,
                             const std::stop_token& stop) const;
    // Wakes the waiters; the parser calls it after each time sentence, once the lock is released.
    void NotifyTimeChanged() const { timeChanged_.notify_all(); }

    // Records a time sentence's arrival with the time fields as they are now, unless they name
    // the second the last arrival named (a receiver of several constellations sends one such
    // sentence for each: the first turns the second over, and the clock is set from it). The
    // caller holds publishMutex() (the parser, right after decoding it).
    void RecordTimeArrivalLocked(int64_t arrivalNs);
    // The arrivals after `sequence` that are still kept, oldest first.
    std::vector<TimeSentenceArrival> ArrivalsAfter(uint64_t sequence) const;
    uint64_t LastArrivalSequence() const;
    std::optional<TimeSentenceArrival> LastArrival() const;

  private:
    mutable std::mutex publishMutex_;
    mutable std::condition_variable_any timeChanged_;
    std::array<TimeSentenceArrival, kArrivalsKept> arrivals_{};  // ring, by sequence
    uint64_t arrivalCount_ = 0;
};

}  // namespace horalux
