#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

#include "displays/sky_plot_geometry.h"

namespace horalux {

// Where the labels of a crowded sky go. Satellites of several systems stand close together in
// the sky, and their labels under their icons would run into each other: each label goes to
// the first side of its icon, of below, right, left and above, where it covers no other icon,
// no label placed before it and nothing outside the disc; where every side is taken, to the
// side where it covers least. Labels are placed in the order given.

struct LabelRequest {
    QPoint at;   // the satellite's point on the plot
    QSize text;  // the size of its label's text

    bool operator==(const LabelRequest&) const = default;
};

// The sides, one for each request, for markers laid out as SkyPlotGeometry::MarkerLayout lays
// them out with this font and icon.
std::vector<LabelSide> PlaceLabels(const SkyPlotGeometry& geometry,
                                   const std::vector<LabelRequest>& markers, int widestChar,
                                   int charHeight, QSize icon);

// The same, remembering the last answer: a sky in which nothing has moved since (the plot's
// update of most seconds) keeps its sides without placing them again.
class LabelPlacer {
  public:
    const std::vector<LabelSide>& Place(const SkyPlotGeometry& geometry,
                                        const std::vector<LabelRequest>& markers, int widestChar,
                                        int charHeight, QSize icon);

  private:
    std::vector<LabelRequest> markers_;
    QRect disc_;
    int widestChar_ = -1;
    int charHeight_ = -1;
    QSize icon_;
    std::vector<LabelSide> sides_;
};

}  // namespace horalux
