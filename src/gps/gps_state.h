#pragma once

#include <array>
#include <cstdint>
#include <mutex>

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

// The one record of what the GPS receiver last reported, shared by the reader, the parser, the
// time-lock test, the clock setter and the pages.
//
// Threads: only the user-interface thread writes. The clock setter on the worker thread reads
// the time fields through timeSnapshot()/utcSecondNow(); the parser decodes each sentence while
// holding publishMutex(), so those reads see the hour, minute and ZDA date of the same sentence
// as the second.
class GpsState {
  public:
    static constexpr int kTableSize = 32;
    static constexpr int kPrnFlags = 33;

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

  private:
    mutable std::mutex publishMutex_;
};

}  // namespace horalux
