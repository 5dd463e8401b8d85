#pragma once

#include <QString>
#include <vector>

#include "clock/color_ref.h"
#include "gps/gnss_system.h"
#include "gps/sky_view.h"

namespace horalux {

// How the status displays tell the satellite systems apart: each system's label colour on the
// sky plot's black disc, the legend of the systems present, and the counts a screen reader hears.
//
// The colours are light enough to read on black, and none is the blue of the grid, the grey of
// its labels or the yellow and grey of the used and in-view icons, which keep their meaning.

// The label colour of a system's satellites on the sky plot.
ColorRef SystemLabelColour(GnssSystem system);

// One line of the legend: the system's letter in its colour, then "GPS 10, 5 used".
struct SystemLegendEntry {
    GnssSystem system = GnssSystem::Gps;
    QChar letter;
    ColorRef colour = 0;
    QString text;
    friend bool operator==(const SystemLegendEntry&, const SystemLegendEntry&) = default;
};
// The legend of the systems counted, in their order.
std::vector<SystemLegendEntry> SystemLegend(const std::vector<SystemCount>& counts);

// "GPS 10, 5 used; GLONASS 8, 7 used": the count of each system and of its used satellites.
QString SystemCountsText(const std::vector<SystemCount>& counts);

}  // namespace horalux
