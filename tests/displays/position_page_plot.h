#pragma once

#include <QImage>
#include <QSize>

#include "displays/sky_plot.h"

namespace horalux {

// A sky plot set up as the Position page sets up its own, at the given size.
inline void SetUpAsOnThePositionPage(SkyPlot& plot, QSize size) {
    plot.resize(size);
    plot.SetSpokeStep(90);
    plot.SetRingStep(30);
    plot.SetFontSize(70);
    plot.SetGridTextColor(0x808080);
    plot.SetSatelliteIcons(114, 121);
    plot.SetLabelFormat(QStringLiteral("%d"));
}

// What a whole repaint of the plot's slots draws, in a plot of the page's setup, its size and
// its palette: an update that left anything else on the plot went wrong.
inline QImage RepaintedAfresh(const SkyPlot& plot) {
    SkyPlot fresh;
    SetUpAsOnThePositionPage(fresh, plot.size());
    fresh.setPalette(plot.palette());
    fresh.state().satelliteSlots = plot.state().satelliteSlots;
    fresh.grab();
    return fresh.buffer();
}

}  // namespace horalux
