// libFuzzer target: arbitrary bytes through the sentence reader and parser.
//
// The first byte chooses the run: its low two bits the time source (0 GGA, 1 RMC, 2 ZDA, 3 a
// value no sentence answers to), bit 2 whether the bytes arrive through Poll from a port (with
// the watchdog running on a fake clock) or straight through Feed, and the rest of it how large
// the pieces are, so that sentences are split at every kind of place. After every piece the
// record and the sky view must still hold together; a broken invariant aborts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "gps/fake_serial_input.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/sky_view.h"
#include "platform/fake_system_clock.h"

namespace {

using horalux::GpsState;
using horalux::NmeaParser;
using horalux::SkySatellite;
using horalux::SkyView;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void checkRecord(const GpsState& gps, size_t bytesFed, int16_t timeSource) {
    check(gps.readerState >= 1 && gps.readerState <= 5, "readerState in 1..5");
    check(gps.idleSeconds >= 0 && gps.idleSeconds <= 3, "idleSeconds in 0..3");
    check(gps.stale == 0 || gps.stale == 1, "stale is a flag");
    // The shortest sentence is "$,\r": three bytes per dispatch at most.
    check(gps.sentenceCount >= 0 && static_cast<size_t>(gps.sentenceCount) <= bytesFed / 3,
          "sentenceCount bounded by the input");
    check(gps.gsvSentenceCount >= 0 && gps.gsvSentenceCount <= gps.sentenceCount,
          "gsvSentenceCount <= sentenceCount");
    check(gps.satellitesUsed <= NmeaParser::kMaxRunSatellites, "satellitesUsed bounded");
    for (const int flag : gps.usedInFix) {
        check(flag == 0 || flag == 1, "usedInFix holds flags");
    }
    for (int i = 0; i < GpsState::kTableSize; ++i) {
        const auto& sat = gps.satellites[static_cast<size_t>(i)];
        const auto& sig = gps.signals[static_cast<size_t>(i)];
        check(sat.prn >= 0 && sat.prn <= 32, "satellite PRN in 0..32");
        check(sat.used == 0 || sat.used == 1, "satellite used is a flag");
        check(sig.prn == sat.prn && sig.snr == sat.snr && sig.used == sat.used,
              "signal entry matches its satellite entry");
    }
    // Two characters through atoi: -9 to 99.
    for (const int t : {gps.utcHour, gps.utcMinute, gps.utcSecond}) {
        check(t >= -9 && t <= 99, "time fields come from two characters");
    }
    if (timeSource != 2) {
        check(gps.zdaDateValid == 0 && gps.zdaYear == 0 && gps.zdaMonth == 0 && gps.zdaDay == 0,
              "ZDA ignored unless it is the time source");
    }
}

// Each satellite once (its label tells it), in system order, with a label of its system's
// letter and a number of at most three digits; the displays' choices within their bounds.
void checkView(const SkyView& sky) {
    const std::vector<SkySatellite> all = sky.Satellites();
    std::set<std::string> labels;
    for (size_t i = 0; i < all.size(); ++i) {
        const SkySatellite& s = all[i];
        const std::string label = s.Label();
        check(label.size() >= 3 && label.size() <= 4 &&
                  label[0] == horalux::GnssSystemLetter(s.system),
              "label: the system's letter and two or three digits");
        check(labels.insert(label).second, "each satellite once");
        check(i == 0 || all[i - 1].system <= s.system, "satellites in system order");
    }
    check(horalux::SelectForPlot(all).size() <= horalux::kSkyPlotSlots, "plot slots bounded");
    check(horalux::OrderForGraph(all).size() <= horalux::kSignalGraphBars, "graph bars bounded");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t control = data[0];
    const auto timeSource = static_cast<int16_t>(control & 3);
    const bool throughPoll = (control & 4) != 0;
    const size_t piece = 1 + (static_cast<size_t>(control >> 3) * 37) % 700;
    ++data;
    --size;

    GpsState gps;
    gps.timeSource = timeSource;
    SkyView sky;
    NmeaParser parser(gps, &sky);
    horalux::FakeSystemClock clock;
    horalux::NmeaReader reader(gps, parser, clock);
    horalux::FakeSerialInput port;
    if (throughPoll) {
        gps.portHandle = &port;
    }

    size_t fed = 0;
    while (fed < size) {
        const size_t n = piece < size - fed ? piece : size - fed;
        if (throughPoll) {
            port.receive(std::string(reinterpret_cast<const char*>(data + fed), n));
            reader.Poll();
            clock.advance(350);  // the watchdog resets now and then
        } else {
            reader.Feed(data + fed, n);
        }
        fed += n;
        // sentenceCount restarts at a watchdog reset, so it is bounded by all bytes fed.
        checkRecord(gps, fed, timeSource);
        checkView(sky);
    }
    return 0;
}
