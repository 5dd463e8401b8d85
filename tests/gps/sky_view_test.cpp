// The sky view as the parser fills it, the reader ages it, and the displays read it.
#include "gps/sky_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gps/fake_serial_input.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "platform/fake_system_clock.h"
#include "sky_satellite_print.h"

namespace horalux {
namespace {

// Each satellite's label, with * when used.
std::string labels(const std::vector<SkySatellite>& satellites) {
    std::string out;
    for (const SkySatellite& s : satellites) {
        out += (out.empty() ? "" : " ") + s.Label() + (s.used ? "*" : "");
    }
    return out;
}

class SkyViewTest : public ::testing::Test {
  protected:
    GpsState gps;
    SkyView sky;
    NmeaParser parser{gps, &sky};

    // Sentences without "$" and checksum: the address, a comma and the data.
    void send(const std::vector<std::string>& sentences) {
        for (const std::string& s : sentences) {
            const size_t comma = std::min(s.find(','), s.size());
            const std::string data = comma < s.size() ? s.substr(comma + 1) : "";
            parser.Dispatch(s.substr(0, comma).c_str(), data.c_str());
        }
    }
    std::string view() const { return labels(sky.Satellites()); }
};

TEST_F(SkyViewTest, EveryConstellationAndSignalGivesEachSatelliteOnce) {
    send({
        "GNGSA,A,3,01,46,,,,,,,,,,,1.0,1.0,1.0,1",  // GPS 1 and SBAS 133 (NMEA 46)
        "GNGSA,A,3,65,,,,,,,,,,,,1.0,1.0,1.0,2",
        "GNGSA,A,3,208,,,,,,,,,,,,1.0,1.0,1.0,4",  // BeiDou 8 with the offset of 200
        "GPGSV,2,1,05,01,40,083,31,02,17,308,,12,05,150,22,46,30,200,40,1",
        "GPGSV,2,2,05,193,60,100,35,1",              // QZSS in GPS numbering
        "GPGSV,1,1,02,01,40,083,45,12,05,150,18,6",  // L2: G01 is stronger there
        "GLGSV,1,1,02,65,20,010,30,66,,,28,1",       // R66 without a position on L1 ...
        "GLGSV,1,1,01,66,50,120,,3",                 // ... and with one on L2
        "BDGSV,1,1,01,08,70,300,44,1",
        "GAGSV,1,1,01,33,10,020,25,7",
        "GIGSV,1,1,01,05,45,180,33,1",
    });
    using G = GnssSystem;
    const std::vector<SkySatellite> expected = {
        {G::Gps, 1, 40, 83, 45, true},        {G::Gps, 2, 17, 308, 0, false},
        {G::Gps, 12, 5, 150, 22, false},      {G::Glonass, 65, 20, 10, 30, true},
        {G::Glonass, 66, 50, 120, 28, false}, {G::Galileo, 33, 10, 20, 25, false},
        {G::BeiDou, 8, 70, 300, 44, true},    {G::Qzss, 193, 60, 100, 35, false},
        {G::NavIc, 5, 45, 180, 33, false},    {G::Sbas, 46, 30, 200, 40, true},
    };
    EXPECT_EQ(sky.Satellites(), expected);
    EXPECT_EQ(view(), "G01* G02 G12 R65* R66 E33 C08* J193 I05 S133*");
    EXPECT_EQ(CountBySystem(sky.Satellites()), (std::vector<SystemCount>{{G::Gps, 3, 1},
                                                                         {G::Glonass, 2, 1},
                                                                         {G::Galileo, 1, 0},
                                                                         {G::BeiDou, 1, 1},
                                                                         {G::Qzss, 1, 0},
                                                                         {G::NavIc, 1, 0},
                                                                         {G::Sbas, 1, 1}}));
    EXPECT_FALSE(sky.GpsOnly());
    // The record is what it would be without the view: the last GSV's four slots, PRNs capped.
    EXPECT_EQ(gps.satellitesInView, 1);
    EXPECT_EQ(gps.satellites[0], (SatelliteInfo{5, 180, 45, 0, 33}));
    EXPECT_EQ(gps.satellitesUsed, 4);
}

TEST_F(SkyViewTest, UsedComesFromTheGsaRunBeforeTheGroup) {
    const std::string gps5and7 = "GPGSV,1,1,02,05,10,010,30,07,20,020,30";
    // A GSA without a system id is read in its talker's numbering ...
    send({"GPGSA,A,3,05,,,,,,,,,,,,1.0,1.0,1.0", gps5and7});
    EXPECT_EQ(view(), "G05* G07");
    EXPECT_TRUE(sky.GpsOnly());
    // ... and the combined talker's numbers match satellites sent under the same number.
    send({"GNGSA,A,3,07,201,,,,,,,,,,,1.0,1.0,1.0", gps5and7, "GBGSV,1,1,01,201,10,010,30",
          "GLGSV,1,1,01,65,10,010,30"});
    EXPECT_EQ(view(), "G05 G07* R65 C201*");
    // The GSAs of one run add up; the group in view keeps its flags until it is sent again.
    send({"GNGSA,A,3,05,,,,,,,,,,,,1.0,1.0,1.0,1", "GNGSA,A,3,65,,,,,,,,,,,,1.0,1.0,1.0,2"});
    EXPECT_EQ(view(), "G05 G07* R65 C201*");
    send({gps5and7, "GLGSV,1,1,01,65,10,010,30", "GBGSV,1,1,01,201,10,010,30"});
    EXPECT_EQ(view(), "G05* G07 R65* C201");
    // A GSA with a system id of none of the six is read in its talker's numbering.
    send({"GPGSA,A,3,07,,,,,,,,,,,,1.0,1.0,1.0,9", gps5and7});
    EXPECT_EQ(view(), "G05 G07* R65* C201");
}

// Each case starts from a view holding G01 and G02 and sends its sentences.
TEST_F(SkyViewTest, OnlyACompleteGroupInOrderReplacesTheLastOne) {
    const struct {
        const char* what;
        std::vector<std::string> sentences;
        const char* view;
    } cases[] = {
        {"a complete group",
         {"GPGSV,2,1,05,03,1,1,1,04,1,1,1,05,1,1,1,06,1,1,1", "GPGSV,2,2,05,07,1,1,1"},
         "G03 G04 G05 G06 G07"},
        {"message 2 without message 1", {"GPGSV,2,2,05,07,1,1,1"}, "G01 G02"},
        {"a message lost", {"GPGSV,3,1,09,03,1,1,1", "GPGSV,3,3,09,07,1,1,1"}, "G01 G02"},
        {"messages out of order",
         {"GPGSV,2,2,05,07,1,1,1", "GPGSV,2,1,05,03,1,1,1", "GPGSV,2,1,05,04,1,1,1"},
         "G01 G02"},
        {"a count that changes", {"GPGSV,2,1,05,03,1,1,1", "GPGSV,3,2,05,07,1,1,1"}, "G01 G02"},
        {"message 1 again restarts the group",
         {"GPGSV,2,1,05,03,1,1,1", "GPGSV,2,1,05,04,1,1,1", "GPGSV,2,2,05,05,1,1,1"},
         "G04 G05"},
        {"a group cut short, then a whole one",
         {"GPGSV,2,1,05,03,1,1,1", "GPGSV,1,1,01,09,1,1,1"},
         "G09"},
        {"message numbers beyond the count, 0 or not numbers",
         {"GPGSV,1,2,01,03,1,1,1", "GPGSV,0,0,01,03,1,1,1", "GPGSV,1,x,01,03,1,1,1",
          "GPGSV,,,01,03,1,1,1", "GPGSV,-1,1,01,03,1,1,1"},
         "G01 G02"},
        {"no satellites in view", {"GPGSV,1,1,00"}, ""},
        {"another signal's group adds to the view", {"GPGSV,1,1,01,03,1,1,1,1"}, "G01 G02 G03"},
        {"signal ids are one hexadecimal digit",
         {"GPGSV,1,1,01,03,1,1,1,A", "GPGSV,1,1,01,04,1,1,1,10", "GPGSV,1,1,01,05,1,1,1,X"},
         "G01 G02 G03"},
        {"five satellites' worth of fields",
         {"GPGSV,1,1,05,03,1,1,1,04,1,1,1,05,1,1,1,06,1,1,1,07,1,1,1"},
         "G01 G02"},
        {"numbers no satellite has", {"GPGSV,1,1,04,00,1,1,1,-3,1,1,1,99,1,1,1,1000,1,1,1"}, ""},
        {"empty slots", {"GPGSV,1,1,02,05,1,1,1,,,,,,,,,06,1,1,1"}, "G05 G06"},
        {"SBAS, GLONASS and QZSS in GPS numbering, one satellite under two numbers",
         {"GPGSV,1,1,05,33,1,1,1,65,1,1,1,120,1,1,1,193,1,1,1"},
         "R65 J193 S120"},
        {"a talker of no constellation", {"PXGSV,1,1,01,03,1,1,1"}, "G01 G02"},
        {"a proprietary GSV that names its system", {"PQGSV,1,1,01,03,1,1,1,0,4"}, "G01 G02 C03"},
        {"a GSV too short to be one", {"GPGSV,1,1", "GPGSV"}, "G01 G02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sky.Clear();
        send({"GPGSV,1,1,02,01,10,010,20,02,20,020,30"});
        ASSERT_EQ(view(), "G01 G02");
        const uint64_t revision = sky.Revision();
        send(c.sentences);
        EXPECT_EQ(view(), c.view);
        EXPECT_EQ(sky.Revision() != revision, view() != "G01 G02");
    }

    // Groups of up to 16 messages (64 satellites) are taken, larger ones not.
    for (const int messages : {16, 17}) {
        sky.Clear();
        for (int m = 1; m <= messages; ++m) {
            std::string sentence = "GPGSV," + std::to_string(messages) + "," + std::to_string(m) +
                                   "," + std::to_string(4 * messages);
            for (int k = 1; k <= 4; ++k) {
                sentence += "," + std::to_string(4 * (m - 1) + k) + ",1,1,1";
            }
            send({sentence});
        }
        EXPECT_EQ(sky.Satellites().size(), messages == 16 ? 64u : 0u) << messages;
    }
}

// The reader ages the view on the local clock's second changes, as its watchdog counts them.
class SkyViewAgeingTest : public SkyViewTest {
  protected:
    FakeSystemClock clock{{2024, 5, 0, 10, 12, 0, 0, 0}};
    NmeaReader reader{gps, parser, clock};
    FakeSerialInput port;

    void SetUp() override { gps.portHandle = &port; }

    // One second of the receiver: the sentences at its start, then 20 polls of 50 ms.
    void second(const std::vector<std::string>& sentences) {
        for (const std::string& s : sentences) {
            port.receive("$" + s + "\r\n");
        }
        for (int tick = 0; tick < 20; ++tick) {
            reader.Poll();
            clock.advance(50);
        }
    }
};

const std::string kGps = "GPGSV,1,1,01,01,10,010,20";
const std::string kGlonass = "GLGSV,1,1,01,65,10,010,20";

TEST_F(SkyViewAgeingTest, TheWatchdogsResetClearsTheView) {
    second({"GPGSA,A,3,01,,,,,,,,,,,,1.0,1.0,1.0", kGps, kGlonass, "GLGSV,2,1,05,66,1,1,1"});
    EXPECT_EQ(view(), "G01* R65");
    EXPECT_FALSE(sky.GpsOnly());
    const uint64_t revision = sky.Revision();
    second({});
    second({});
    second({});
    EXPECT_EQ(gps.stale, 1);
    EXPECT_EQ(view(), "");
    EXPECT_NE(sky.Revision(), revision);
    EXPECT_TRUE(sky.GpsOnly());
    // Neither the group that was being received nor the used flags outlive the reset.
    second({"GLGSV,2,2,05,67,1,1,1", kGps});
    EXPECT_EQ(view(), "G01");
}

TEST_F(SkyViewAgeingTest, AGroupLeavesThreeSecondsAfterItWasDueAtItsReceiversPace) {
    // Each receiver sends GLONASS every `every` seconds, `groups` times, GPS every second (so
    // the watchdog keeps the record). A group is due a second after the last until two of them
    // have shown the receiver's pace (at most 10 s).
    struct {
        const char* what;
        int every;
        int groups;
        std::vector<std::pair<int, int>> inView;  // the seconds GLONASS is in view, from-to
    } const cases[] = {
        {"once a second", 1, 4, {{0, 5}}},  // the last group at 3: gone 3 s later
        {"every 5 s", 5, 3, {{0, 2}, {5, 16}}},
        {"every 20 s", 20, 2, {{0, 2}, {20, 31}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sky.Clear();
        for (int t = 0; t < 40; ++t) {
            const bool sends = t % c.every == 0 && t / c.every < c.groups;
            second(sends ? std::vector<std::string>{kGps, kGlonass} : std::vector{kGps});
            const bool expected = std::any_of(c.inView.begin(), c.inView.end(), [&](auto range) {
                return t >= range.first && t <= range.second;
            });
            EXPECT_EQ(view(), expected ? "G01 R65" : "G01") << "second " << t;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The displays' choices

SkySatellite satellite(int prn, int elevation, int snr = 0, bool used = false) {
    return {GnssSystem::Gps, prn, elevation, 100, snr, used};
}

TEST(SkyViewDisplays, ThePlotKeepsTheFortyHighestInTheirOrder) {
    std::vector<SkySatellite> all;
    for (int i = 1; i <= 45; ++i) {
        all.push_back(satellite(i, 2 * i));  // elevations 2 to 90
    }
    all[44].elevation = 95;  // no elevation: ranks last
    all[5] = satellite(6, 10, 20);
    all[4] = satellite(5, 10, 20, true);
    all[3] = satellite(4, 10, 30);
    // 7 to 44 (elevations 14 to 88) and the two best of the three at 10: used, then stronger.
    const std::vector<SkySatellite> plot = SelectForPlot(all);
    ASSERT_EQ(plot.size(), kSkyPlotSlots);
    EXPECT_EQ(plot[0].prn, 4);
    EXPECT_EQ(plot[1].prn, 5);
    for (size_t i = 2; i < plot.size(); ++i) {
        EXPECT_EQ(plot[i].prn, static_cast<int>(i) + 5);
    }
    all.resize(40);
    EXPECT_EQ(SelectForPlot(all), all);
}

TEST(SkyViewDisplays, TheGraphShowsUsedSatellitesFirstThenTheStrongest) {
    const std::vector<SkySatellite> satellites = {satellite(1, 10, 40), satellite(2, 10, 20, true),
                                                  satellite(3, 10, 30, true), satellite(4, 10, 40),
                                                  satellite(5, 10, 0)};
    EXPECT_EQ(labels(OrderForGraph(satellites)), "G03* G02* G01 G04 G05");
    std::vector<SkySatellite> many(40, satellite(1, 10));
    EXPECT_EQ(OrderForGraph(many).size(), kSignalGraphBars);
}

}  // namespace
}  // namespace horalux
