#include "displays/sky_label_placement.h"

#include <QRect>
#include <algorithm>
#include <cmath>
#include <limits>

namespace horalux {

namespace {

int64_t Overlap(const QRect& a, const QRect& b) {
    const int64_t w =
        std::min(a.left() + a.width(), b.left() + b.width()) - std::max(a.left(), b.left());
    const int64_t h =
        std::min(a.top() + a.height(), b.top() + b.height()) - std::max(a.top(), b.top());
    return w > 0 && h > 0 ? w * h : 0;
}

// About how much of an area lies outside the disc: a quarter of it for each corner outside.
int64_t OutsideDisc(const SkyPlotGeometry& geometry, const QRect& area) {
    const QRect disc = geometry.ClipBounds();
    const double cx = disc.left() + disc.width() / 2.0;
    const double cy = disc.top() + disc.height() / 2.0;
    const double reach = disc.width() / 2.0 - 1;
    int corners = 0;
    for (const double x : {double(area.left()), double(area.left()) + area.width()}) {
        for (const double y : {double(area.top()), double(area.top()) + area.height()}) {
            corners += std::hypot(x - cx, y - cy) > reach ? 1 : 0;
        }
    }
    return int64_t{area.width()} * area.height() * corners / 4;
}

}  // namespace

std::vector<LabelSide> PlaceLabels(const SkyPlotGeometry& geometry,
                                   const std::vector<LabelRequest>& markers, int widestChar,
                                   int charHeight, QSize icon) {
    std::vector<LabelSide> sides(markers.size(), LabelSide::Below);
    if (icon.isEmpty()) {
        return sides;  // a cross has its label under it
    }
    std::vector<QRect> icons;
    icons.reserve(markers.size());
    for (const LabelRequest& m : markers) {
        const auto layout = SkyPlotGeometry::MarkerLayout(m.at, widestChar, charHeight, icon);
        icons.push_back(QRect(layout.image.topLeft() + layout.iconAt, icon));
    }
    std::vector<QRect> placed;
    placed.reserve(markers.size());
    for (size_t i = 0; i < markers.size(); ++i) {
        int64_t best = std::numeric_limits<int64_t>::max();
        QRect bestText;
        for (const LabelSide side :
             {LabelSide::Below, LabelSide::Right, LabelSide::Left, LabelSide::Above}) {
            const QRect text = SkyPlotGeometry::TextBounds(
                SkyPlotGeometry::MarkerLayout(markers[i].at, widestChar, charHeight, icon, side),
                markers[i].text);
            // Another icon hidden counts double: a satellite is its icon first.
            int64_t covered = 0;
            for (size_t j = 0; j < icons.size(); ++j) {
                covered += j == i ? 0 : 2 * Overlap(text, icons[j]);
            }
            for (const QRect& other : placed) {
                covered += Overlap(text, other);
            }
            // A label cut off by the horizon counts as if it hid its own size of icons.
            covered += 2 * OutsideDisc(geometry, text);
            if (covered < best) {
                best = covered;
                bestText = text;
                sides[i] = side;
            }
            if (covered == 0) {
                break;
            }
        }
        placed.push_back(bestText);
    }
    return sides;
}

}  // namespace horalux
