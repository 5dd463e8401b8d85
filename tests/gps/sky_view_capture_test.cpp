// The sky view on the real captures: the satellites each one ends with, a constellation that
// stops reporting, and the record left exactly as it is without the view.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "gps/fake_serial_input.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/sky_view.h"
#include "nmea_replay/nmea_replay_script.h"
#include "platform/fake_system_clock.h"
#include "sky_satellite_print.h"
#include "support/testdata.h"

namespace horalux {
namespace {

// What the last complete GSV group of each constellation and signal in the capture lists:
// satellites in view / used by the GSA run before it, per system. gpsOnly: only GPGSV groups.
struct CaptureSky {
    const char* file;
    const char* systems;
    bool gpsOnly;
};

// clang-format off
const CaptureSky kCaptures[] = {
    {"ac12.log", "GPS 11/4 SBAS 2/0", true},  // PRN 35 is SBAS 122
    {"april6_2019.log", "", true},            // RMC only
    {"beidou-gb.log", "GPS 18/6 BeiDou 11/1", false},  // GNGSA without system ids, BeiDou 201
    {"bu353-glonass.log", "GPS 12/0 GLONASS 10/0", false},  // the fix is lost at the end
    {"bu353s4.log", "GPS 12/7", true},
    {"firefly-II.log", "", true},  // no GSV
    {"garmin25lp.log", "GPS 9/3", true},
    {"garmin48.log", "GPS 11/5", true},
    {"gp-320fw-2019-04-07-coldboot.log", "GPS 12/0", true},
    {"holux-gm-210.log", "GPS 9/0", true},
    {"iTrek.log", "GPS 8/4", true},
    {"isync.log", "GPS 12/10 SBAS 3/2", true},
    {"mt3339.log", "GPS 11/10 SBAS 1/0", true},
    {"mtk-3301.log", "GPS 11/3", true},
    {"nl2008u.log", "GPS 13/8 GLONASS 11/8", false},
    // BeiDou in the receiver's own PQGSV and PQGSA, which carry a system id.
    {"quectel-eg25-g-2.log", "GPS 12/5 GLONASS 8/4 Galileo 3/0 BeiDou 14/1", false},
    // GPS on L1 and L2, Galileo on E1 and E5: each satellite once.
    {"skytraq-PX1172RH_DS.log", "GPS 10/4 GLONASS 8/1 Galileo 10/4 BeiDou 10/5", false},
    {"sl869.log", "GPS 10/5 GLONASS 8/0 QZSS 1/0", false},
    // BeiDou 08, 11 and 13 are used as 208, 211 and 213 in the GSA.
    {"telit-pls83-w.log", "GPS 10/5 GLONASS 10/5 Galileo 13/1 BeiDou 5/3", false},
    {"tn200.log", "GPS 12/0", true},
    {"triton400.log", "GPS 11/6", true},
    // GPS on L1 and L2 with SBAS 44, 46 and 51; the GSAs' Galileo and BeiDou have no GSV.
    {"ublox-f9p-hpnmea.log", "GPS 10/9 GLONASS 8/7 SBAS 3/3", false},
    {"ublox-lea-4h.log", "GPS 9/8 SBAS 4/1", true},
};
// clang-format on

std::string describe(const SkyView& sky) {
    std::string out;
    for (const SystemCount& c : CountBySystem(sky.Satellites())) {
        out += (out.empty() ? "" : " ") + std::string(GnssSystemName(c.system)) + " " +
               std::to_string(c.inView) + "/" + std::to_string(c.used);
    }
    return out;
}

// Every field of the record but the port and the lock.
auto recordFields(const GpsState& g) {
    return std::tie(g.readerState, g.idleSeconds, g.stale, g.satellitesInView, g.latitude,
                    g.longitude, g.altitude, g.fixQuality, g.utcHour, g.utcMinute, g.utcSecond,
                    g.sentenceCount, g.usedInFix, g.satellites, g.signals, g.gsvSentenceCount,
                    g.satellitesUsed, g.timeSource, g.zdaDateValid, g.zdaDay, g.zdaMonth,
                    g.zdaYear);
}

// A reader and parser on a fake clock, with or without a sky view.
struct Receiver {
    explicit Receiver(bool withView, int16_t timeSource = 0)
        : parser(gps, withView ? &sky : nullptr) {
        gps.timeSource = timeSource;
    }
    GpsState gps;
    SkyView sky;
    NmeaParser parser;
    FakeSystemClock clock;
    NmeaReader reader{gps, parser, clock};
};

TEST(SkyViewCaptures, EachEndsWithItsLastGroupsAndLeavesTheRecordAsItWas) {
    HORALUX_REQUIRE_CAPTURES();
    std::map<std::string, const CaptureSky*> table;
    for (const CaptureSky& c : kCaptures) {
        table[c.file] = &c;
    }
    int checked = 0;
    for (const auto& path : test::captureFiles()) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        ASSERT_TRUE(table.count(name)) << "add the capture to kCaptures";
        const std::string log = test::readFile(path);
        for (int16_t timeSource = 0; timeSource <= 2; ++timeSource) {  // GGA, RMC, ZDA
            // Byte by byte in step, comparing the records after every sentence.
            Receiver with(true, timeSource);
            Receiver without(false, timeSource);
            for (const char c : log) {
                const auto byte = static_cast<uint8_t>(c);
                const int before = with.gps.sentenceCount;
                with.reader.Feed(&byte, 1);
                without.reader.Feed(&byte, 1);
                if (with.gps.sentenceCount != before) {
                    ASSERT_TRUE(recordFields(with.gps) == recordFields(without.gps))
                        << "after sentence " << with.gps.sentenceCount;
                }
            }
            EXPECT_EQ(describe(with.sky), table[name]->systems);
            EXPECT_EQ(with.sky.GpsOnly(), table[name]->gpsOnly);
        }
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(std::size(kCaptures)));
}

// The satellites of GLONASS, or those of every other system.
std::vector<SkySatellite> glonass(std::vector<SkySatellite> satellites, bool wanted = true) {
    std::erase_if(satellites, [&](const SkySatellite& s) {
        return (s.system == GnssSystem::Glonass) != wanted;
    });
    return satellites;
}

TEST(SkyViewCaptures, AConstellationThatStopsReportingLeavesTheViewAfterThreeSeconds) {
    HORALUX_REQUIRE_CAPTURES();
    const auto script = replay::NmeaReplayScript::fromLog(
        test::readFile(*test::captureDir() / "telit-pls83-w.log"));
    ASSERT_GE(script.burstCount(), 9u);
    // The capture as it is, and the same with GLONASS silent from burst 4 on: one burst a
    // second, 100 ms after the second begins, polled every 50 ms.
    Receiver full(true);
    Receiver cut(true);
    FakeSerialInput fullPort;
    FakeSerialInput cutPort;
    full.gps.portHandle = &fullPort;
    cut.gps.portHandle = &cutPort;
    std::vector<SkySatellite> lastGlonass;
    for (size_t burst = 0; burst < script.burstCount(); ++burst) {
        SCOPED_TRACE("burst " + std::to_string(burst));
        std::string bytes = script.original(burst);
        for (int tick = 0; tick < 20; ++tick) {
            if (tick == 2) {
                fullPort.receive(bytes);
                for (size_t at = bytes.find("$GL"); burst >= 4 && at != std::string::npos;
                     at = bytes.find("$GL")) {
                    bytes.erase(at, bytes.find('$', at + 1) - at);
                }
                cutPort.receive(bytes);
            }
            full.reader.Poll();
            cut.reader.Poll();
            full.clock.advance(50);
            cut.clock.advance(50);
        }
        const std::vector<SkySatellite> all = full.sky.Satellites();
        ASSERT_FALSE(glonass(all).empty());
        EXPECT_EQ(glonass(cut.sky.Satellites(), false), glonass(all, false));
        // GLONASS as its last group left it one and two second changes later, gone at the third.
        if (burst < 4) {
            lastGlonass = glonass(all);
        }
        EXPECT_EQ(glonass(cut.sky.Satellites()),
                  burst < 6 ? lastGlonass : std::vector<SkySatellite>{});
        EXPECT_EQ(cut.gps.stale, 0);
    }
}

}  // namespace
}  // namespace horalux
