// How the displays tell the satellite systems apart: their colours and the legend's lines.
#include "displays/system_legend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace horalux {
namespace {

// WCAG's relative luminance of a colour.
double Luminance(ColorRef c) {
    const auto channel = [](uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(redOf(c)) + 0.7152 * channel(greenOf(c)) + 0.0722 * channel(blueOf(c));
}

TEST(SystemLegendTest, ColoursReadOnBlackAndAreNoneOfThePlotsOwn) {
    // The grid, its labels, the used and the in-view icons.
    const std::set<ColorRef> plot = {0xFF0000, 0x808080, 0x00FFFF, 0x808080, 0x000000};
    std::set<ColorRef> seen;
    for (int i = 0; i < kGnssSystemCount; ++i) {
        const ColorRef c = SystemLabelColour(static_cast<GnssSystem>(i));
        SCOPED_TRACE(GnssSystemName(static_cast<GnssSystem>(i)));
        EXPECT_GE((Luminance(c) + 0.05) / 0.05, 7.0) << "contrast with the black disc";
        EXPECT_FALSE(plot.count(c));
        EXPECT_TRUE(seen.insert(c).second) << "one colour for each system";
    }
}

TEST(SystemLegendTest, OneLineForEachSystemCounted) {
    const std::vector<SystemCount> counts = {{GnssSystem::Gps, 10, 5}, {GnssSystem::Sbas, 3, 0}};
    const std::vector<SystemLegendEntry> legend = SystemLegend(counts);
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[0],
              (SystemLegendEntry{GnssSystem::Gps, u'G', SystemLabelColour(GnssSystem::Gps),
                                 QStringLiteral("GPS 10, 5 used")}));
    EXPECT_EQ(legend[1].letter, u'S');
    EXPECT_EQ(legend[1].text, QStringLiteral("SBAS 3, 0 used"));
    EXPECT_EQ(SystemCountsText(counts), QStringLiteral("GPS 10, 5 used; SBAS 3, 0 used"));
    EXPECT_TRUE(SystemLegend({}).empty());
    EXPECT_EQ(SystemCountsText({}), QString());
}

}  // namespace
}  // namespace horalux
