// What the status displays are fed with: the record's tables, or the sky view once the receiver
// reports more than GPS. Without a display.
#include "pages/satellite_feed.h"

#include <gtest/gtest.h>

#include <string>

#include "gps/nmea_parser.h"

namespace horalux {
namespace {

SkySatellite Sat(GnssSystem system, int prn, int elevation = 40, bool used = false) {
    return {system, prn, elevation, 100 + prn, 30 + prn % 20, used};
}

// The labels of the slots in order, "-" for an empty one, up to the last one filled.
std::string Slots(const SkyPlotSlots& slots) {
    std::string out;
    std::string pending;
    for (const SatelliteSlot& s : slots) {
        pending += s.prn == 0 ? "-" : (s.system ? SatelliteLabel(*s.system, s.prn) : "?");
        if (s.prn != 0) {
            out += (out.empty() ? "" : " ") + pending;
            pending.clear();
        } else {
            pending += " ";
        }
    }
    return out;
}

TEST(SatelliteFeedTest, TheViewIsShownOnceTheReceiverReportsMoreThanGps) {
    GpsState gps;
    SkyView sky;
    NmeaParser parser(gps, &sky);
    EXPECT_FALSE(ShowsSkyView(nullptr));
    EXPECT_FALSE(ShowsSkyView(&sky));
    parser.Dispatch("GPGSV", "1,1,01,05,40,083,46");
    EXPECT_FALSE(ShowsSkyView(&sky)) << "GPS alone keeps the record's displays";
    parser.Dispatch("GLGSV", "1,1,01,65,40,083,46");
    EXPECT_TRUE(ShowsSkyView(&sky));
    sky.Clear();
    EXPECT_FALSE(ShowsSkyView(&sky));
}

TEST(SatelliteFeedTest, SatellitesKeepTheirSlotsAndNewcomersTakeTheFreeOnes) {
    SkyPlotSlots slots{};
    for (SatelliteSlot& s : slots) {
        s.snr = -1;
    }
    using enum GnssSystem;
    struct {
        std::vector<SkySatellite> shown;
        const char* slots;
    } const steps[] = {
        {{Sat(Gps, 1), Sat(Gps, 2), Sat(Glonass, 65)}, "G01 G02 R65"},
        {{Sat(Gps, 2), Sat(Glonass, 65), Sat(Galileo, 33), Sat(Sbas, 46)}, "E33 G02 R65 S133"},
        {{Sat(Galileo, 33), Sat(Sbas, 46)}, "E33 - - S133"},
        {{Sat(Gps, 7), Sat(Galileo, 33), Sat(BeiDou, 8), Sat(Sbas, 46)}, "E33 G07 C08 S133"},
        {{}, ""},
    };
    for (const auto& step : steps) {
        FillSlotsFromView(step.shown, slots);
        EXPECT_EQ(Slots(slots), step.slots);
    }
    FillSlotsFromView({Sat(Qzss, 3, 90, true)}, slots);
    const SatelliteSlot& s = slots[0];
    EXPECT_EQ(std::tie(s.prn, s.elevation, s.azimuth, s.used, s.snr),
              std::make_tuple(3, 90, 103, 1, 33));
    EXPECT_EQ(slots[39].snr, -1) << "an emptied slot keeps its SNR";

    // More satellites than slots: the first 40 are placed.
    std::vector<SkySatellite> many;
    for (int i = 1; i <= 45; ++i) {
        many.push_back(Sat(i <= 32 ? Gps : Glonass, i <= 32 ? i : 32 + i));
    }
    FillSlotsFromView(many, slots);
    EXPECT_EQ(slots[39].prn, 72);
    // And back to the record: its satellites, without systems, the rest emptied.
    GpsState gps;
    gps.satellites[0] = {12, 40, 50, 1, 38};
    gps.satellitesInView = 1;
    FillSlotsFromRecord(gps, slots);
    EXPECT_EQ(slots[0].prn, 12);
    EXPECT_FALSE(slots[0].system.has_value());
    EXPECT_EQ(slots[1].prn, 0);
    EXPECT_FALSE(slots[1].system.has_value());
}

TEST(SatelliteFeedTest, BarsFromTheViewOrTwelveFromTheRecord) {
    SignalQualityState graph;
    std::vector<SkySatellite> ordered;
    for (int i = 0; i < 38; ++i) {
        ordered.push_back(Sat(i % 2 ? GnssSystem::Galileo : GnssSystem::Gps, i + 1, 40, i < 5));
    }
    EXPECT_EQ(FillBarsFromView(ordered, graph), 32);
    EXPECT_EQ(graph.bars[1].system, GnssSystem::Galileo);
    EXPECT_EQ(graph.bars[1].prn, 2);
    EXPECT_EQ(graph.bars[4].used, 1);
    EXPECT_EQ(graph.bars[31].prn, 32);
    EXPECT_EQ(FillBarsFromView({ordered[0]}, graph), 1);
    EXPECT_EQ(graph.bars[1].prn, 0) << "the other bars are zero";
    EXPECT_FALSE(graph.bars[1].system.has_value());

    // The record: signals 0 to 11, the rest zero even after the view's bars; its count as sent.
    FillBarsFromView(ordered, graph);
    GpsState gps;
    for (int i = 0; i < GpsState::kTableSize; ++i) {
        gps.signals[static_cast<size_t>(i)] = {i + 1, 40, 1};
    }
    gps.satellitesInView = 99;
    EXPECT_EQ(FillBarsFromRecord(gps, graph), 99);
    EXPECT_EQ(graph.bars[11].prn, 12);
    EXPECT_FALSE(graph.bars[11].system.has_value());
    EXPECT_EQ(graph.bars[12].prn, 0);
    EXPECT_EQ(graph.bars[31].snr, 0);
}

}  // namespace
}  // namespace horalux
