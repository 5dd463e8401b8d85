#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gps/gnss_system.h"

namespace horalux {

// One satellite of the sky view, as the sky plot and the signal graph show it.
struct SkySatellite {
    GnssSystem system = GnssSystem::Gps;
    int prn = 0;        // the number as the GSV sentence sent it (SBAS: the NMEA number 33-64,
                        // or the PRN when the receiver sends that)
    int elevation = 0;  // degrees above the horizon, as sent (0 when the sentence left it empty)
    int azimuth = 0;    // degrees from true north, as sent (0 when empty)
    int snr = 0;        // the strongest of its signals' SNRs, dB as sent (0 = not tracked)
    bool used = false;  // listed by the run of GSA sentences decoded before its GSV group

    // "G12", "R65", "E33", "C08", "J193", "I05", "S133": see SatelliteLabel.
    std::string Label() const { return SatelliteLabel(system, prn); }
    friend bool operator==(const SkySatellite&, const SkySatellite&) = default;
};

// One GSV sentence as the parser hands it to the view.
struct GsvMessage {
    struct Satellite {
        int number = 0;
        int elevation = 0;
        int azimuth = 0;
        int snr = 0;
    };
    GnssSource source = GnssSource::Gps;  // whose numbering its satellite numbers follow
    int signal = 0;          // signal id of NMEA 4.10 and later (0..15), 0 when there is none
    int messageCount = 0;    // messages in its group (field 0)
    int messageNumber = 0;   // this one, from 1 (field 1)
    int satelliteCount = 0;  // entries of `satellites` the sentence carries (0..4)
    std::array<Satellite, 4> satellites{};
};

// Every satellite the receiver reports, across its constellations and signals: the multi-GNSS
// companion of the record's 32-entry tables (GpsState), which it leaves alone.
//
// Receivers send one GSV group per constellation each second, and from NMEA 4.10 on one per
// signal (GPS L1 and L2, Galileo E1 and E5, ...). The view keeps the latest complete group of
// each numbering source and signal: messages 1 to n of one group in order, each of the same
// count n (at most kMaxGroupMessages); a group cut short or out of order is dropped and the
// previous one stays. It lists each satellite (system and number) once: the number as sent by
// the first group that lists it (groups in source order, then by signal), elevation and azimuth
// from the first that gives them, the strongest SNR of its signals, and whether it is used.
// `used` comes from the run of consecutive GSA sentences decoded before the group (with the
// system id of NMEA 4.10, or the talker), as the record's `used` does.
//
// Ageing: the reader calls SecondPassed on every change of the local clock's second, as its
// watchdog counts them; a group not renewed for kSilentSeconds of them after it was due leaves
// the view, so a constellation that falls silent for 3 s disappears. A group is due one second
// after the last, or as long after it as between its last two (up to kMaxReportInterval): a
// receiver that sends its GSV every 5 s keeps its satellites in between. The watchdog's reset of
// the record also clears the view; whoever else resets the record (switching to a time server)
// should too.
//
// Wiring: whoever owns the record owns one SkyView beside it and gives it to the parser
// (NmeaParser(gps, &sky)); the reader reaches it through the parser.
//
// Threads: the user-interface thread only: the parser writes it, the reader ages it, the
// displays read it.
//
// The displays:
// - Satellites(): each satellite once, sorted by system (GPS, GLONASS, Galileo, BeiDou, QZSS,
//   NavIC, SBAS) and by number within it; SkySatellite::Label() is its label text.
// - SelectForPlot(view.Satellites()): the sky plot's 40 slots.
// - OrderForGraph(view.Satellites()): the signal graph's 32 bars.
// - CountBySystem(...): the systems present with their counts, for a legend and a description.
// - Revision(): changes whenever Satellites() may have changed (poll and compare).
// - GpsOnly(): true while every group since the last Clear came in GPS numbering (talker GP):
//   such a receiver's displays stay those of the record.
class SkyView {
  public:
    // Second changes without a complete group after which that group leaves the view.
    static constexpr int kSilentSeconds = 3;
    // The longest time between a group's reports that is taken as its pace, in seconds.
    static constexpr int kMaxReportInterval = 10;
    static constexpr int kSignalIds = 16;  // NMEA signal ids 0 to F
    // A group of more messages (more than 64 satellites) is not taken.
    static constexpr int kMaxGroupMessages = 16;
    // The most satellites one GSA run marks as used (real receivers list well under 100).
    static constexpr size_t kMaxUsed = 128;

    // From the parser, for each GSV sentence and each run of GSA sentences. MarkUsed takes a
    // satellite number of a GSA that says its numbering; MarkUsedNumber one of a GSA that does
    // not (GN talker without system id): it marks every satellite sent under that number.
    void AddGsvMessage(const GsvMessage& message);
    void BeginGsaRun();
    void MarkUsed(GnssSource source, int number);
    void MarkUsedNumber(int number);

    // From the reader: one change of the local clock's second; the watchdog's reset.
    void SecondPassed();
    void Clear();

    std::vector<SkySatellite> Satellites() const;
    uint64_t Revision() const { return revision_; }
    bool GpsOnly() const { return !otherThanGps_; }

  private:
    struct Entry {
        SatelliteId id;
        SkySatellite satellite;
    };
    struct Group {
        std::vector<Entry> satellites;  // the latest complete group
        bool present = false;
        bool completed = false;      // completed at least once since the last Clear
        int age = 0;                 // second changes since it was last completed
        int interval = 1;            // second changes between its last two completions
        std::vector<Entry> pending;  // the group being received
        int pendingCount = 0;        // its message count
        int nextMessage = 0;         // the message it waits for; 0 = waiting for message 1
    };

    std::array<Group, kGnssSourceCount * kSignalIds> groups_;
    std::vector<SatelliteId> usedIds_;
    std::vector<int> usedNumbers_;
    bool otherThanGps_ = false;
    uint64_t revision_ = 0;
};

// The sky plot's slots: every satellite when they fit, else the `slots` highest (elevations 0
// to 90 first, the higher the better; then used ones, then the stronger), in the order given.
inline constexpr size_t kSkyPlotSlots = 40;
std::vector<SkySatellite> SelectForPlot(std::vector<SkySatellite> satellites,
                                        size_t slots = kSkyPlotSlots);

// The signal graph's bars, left to right: used satellites first, then by SNR, the strongest
// first (equal ones in the order given), at most `bars`.
inline constexpr size_t kSignalGraphBars = 32;
std::vector<SkySatellite> OrderForGraph(std::vector<SkySatellite> satellites,
                                        size_t bars = kSignalGraphBars);

// The systems present among the satellites, in system order, with how many are in view and
// how many of them are used.
struct SystemCount {
    GnssSystem system = GnssSystem::Gps;
    int inView = 0;
    int used = 0;
    friend bool operator==(const SystemCount&, const SystemCount&) = default;
};
std::vector<SystemCount> CountBySystem(const std::vector<SkySatellite>& satellites);

}  // namespace horalux
