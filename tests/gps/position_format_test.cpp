// The Position page's texts: the three angle formats, the units, the carry of rounded minutes,
// and what an unknown format or an impossible value shows.
#include "gps/position_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/settings_keys.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

struct AngleCase {
    int format;
    double value;
    const char* latitude;   // FormatLatitude(value)
    const char* longitude;  // FormatLongitude(value)
};

TEST(PositionFormatTest, AnglesInEachStoredFormat) {
    const AngleCase cases[] = {
        {0, 48.1173, "N 48° 07.0380", "E 048° 07.0380"},
        {1, 48.1173, "N 48° 07' 02.280", "E 048° 07' 02.280"},
        {2, 48.1173, "N 48.1173000000°", "E 048.1173000000°"},
        {0, -33.5, "S 33° 30.0000", "W 033° 30.0000"},
        {0, 11.516667, "N 11° 31.0000", "E 011° 31.0000"},
        {0, -0.1, "S 00° 06.0000", "W 000° 06.0000"},
        {2, 11.5, "N 11.5000000000°", "E 011.5000000000°"},
        {0, 0.0, "N 00° 00.0000", "E 000° 00.0000"},
        {0, -37.784795, "S 37° 47.0877", "W 037° 47.0877"},
        {2, -175.314902, "S 175.3149020000°", "W 175.3149020000°"},
        // Minutes that round to 60 carry into the degrees.
        {0, 45.9999999, "N 46° 00.0000", "E 046° 00.0000"},
        {1, 45.9999999, "N 46° 00' 00.000", "E 046° 00' 00.000"},
        {0, -179.99999999, "S 180° 00.0000", "W 180° 00.0000"},
        {0, 45.99999, "N 45° 59.9994", "E 045° 59.9994"},
        // A format the page does not know.
        {3, 48.1173, "ERROR", ""},
        {-1, 48.1173, "ERROR", ""},
        // Values no sentence of a working receiver gives.
        {0, std::numeric_limits<double>::infinity(), "ERROR", "ERROR"},
        {1, -std::numeric_limits<double>::infinity(), "ERROR", "ERROR"},
        {2, std::nan(""), "ERROR", "ERROR"},
        {0, 2e15, "ERROR", "ERROR"},
        {0, 1234.5, "N 1234° 30.0000", "E 1234° 30.0000"},
    };
    for (const AngleCase& c : cases) {
        MemorySettingsStore store;
        store.write(keys::PositionFormat, c.format);
        EXPECT_EQ(FormatLatitude(store, c.value), QString::fromUtf8(c.latitude))
            << "format " << c.format << ", " << c.value;
        EXPECT_EQ(FormatLongitude(store, c.value), QString::fromUtf8(c.longitude))
            << "format " << c.format << ", " << c.value;
    }
}

TEST(PositionFormatTest, TheDegreeSignIsOneCharacterAndFormatZeroIsTheDefault) {
    MemorySettingsStore store;
    const QString text = FormatLatitude(store, 48.1173);
    EXPECT_EQ(text, QString::fromUtf8("N 48° 07.0380"));
    EXPECT_EQ(text.at(4), QChar(0x00B0));
    EXPECT_EQ(text.size(), 13);
}

TEST(PositionFormatTest, AltitudeInFeetByDefaultOrMetresAndEachCallReadsTheStore) {
    MemorySettingsStore store;
    EXPECT_EQ(FormatAltitude(store, 545.4), QStringLiteral("1789.37  ft       "));
    store.write(keys::Units, 0);
    EXPECT_EQ(FormatAltitude(store, 545.4), QStringLiteral("545.40   m       "));
    store.write(keys::Units, 7);
    EXPECT_EQ(FormatAltitude(store, -30.4), QStringLiteral("-30.40   m       "));
    EXPECT_EQ(FormatAltitude(store, 123456.789), QStringLiteral("123456.79 m       "));
    store.write(keys::Units, 1);
    EXPECT_EQ(FormatAltitude(store, 0.0), QStringLiteral("0.00     ft       "));

    store.write(keys::PositionFormat, 1);
    EXPECT_EQ(FormatLatitude(store, -33.5), QString::fromUtf8("S 33° 30' 00.000"));
    store.write(keys::PositionFormat, 2);
    EXPECT_EQ(FormatLatitude(store, -33.5), QString::fromUtf8("S 33.5000000000°"));
}

}  // namespace
}  // namespace horalux
