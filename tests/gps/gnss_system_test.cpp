#include "gps/gnss_system.h"

#include <gtest/gtest.h>

#include <string>

namespace horalux {
namespace {

using S = GnssSource;

// Each number of each numbering: the satellite it stands for (its label and its number within
// the system, which is what GSA and GSV numbers of the same satellite meet on), or none.
TEST(GnssNumbering, NumbersNameTheirSatelliteAndLabel) {
    const struct {
        GnssSource source;
        int number;
        const char* label;  // "" = no satellite
        int id;
    } cases[] = {
        {S::Gps, 1, "G01", 1},
        {S::Gps, 33, "S120", 120},  // NMEA numbers 33-64 are the SBAS PRNs 120-151
        {S::Gps, 64, "S151", 151},
        {S::Gps, 65, "R65", 65},
        {S::Gps, 120, "S120", 120},  // the same satellite sent by its PRN
        {S::Gps, 158, "S158", 158},
        {S::Gps, 193, "J193", 1},
        {S::Gps, 202, "J202", 10},
        {S::Gps, 0, "", 0},
        {S::Gps, -7, "", 0},
        {S::Gps, 97, "", 0},
        {S::Gps, 119, "", 0},
        {S::Gps, 203, "", 0},
        {S::Combined, 22, "G22", 22},
        {S::Combined, 201, "J201", 9},  // though one receiver's GNGSA lists BeiDou 201 so
        {S::Combined, 203, "", 0},
        {S::Glonass, 65, "R65", 65},
        {S::Glonass, 100, "", 0},
        {S::Galileo, 36, "E36", 36},
        {S::Galileo, 37, "", 0},
        {S::Galileo, 301, "E301", 1},
        {S::BeiDou, 63, "C63", 63},
        {S::BeiDou, 64, "", 0},
        {S::BeiDou, 208, "C208", 8},
        {S::BeiDou, 437, "C437", 37},
        {S::Qzss, 193, "J193", 1},
        {S::Qzss, 11, "", 0},
        {S::NavIc, 14, "I14", 14},
        {S::NavIc, 15, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.source)) + " " + std::to_string(c.number));
        const std::optional<SatelliteId> id = IdentifySatellite(c.source, c.number);
        ASSERT_EQ(id.has_value(), c.label[0] != '\0');
        if (id) {
            EXPECT_EQ(SatelliteLabel(id->system, c.number), c.label);
            EXPECT_EQ(id->number, c.id);
        }
    }
}

}  // namespace
}  // namespace horalux
