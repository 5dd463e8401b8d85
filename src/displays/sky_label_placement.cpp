#include "displays/sky_label_placement.h"

#include <QRect>
#include <algorithm>
#include <limits>

namespace horalux {

namespace {

// The area two rectangles share, in pixels.
inline int64_t Overlap(const QRect& a, const QRect& b) {
    const int w =
        std::min(a.left() + a.width(), b.left() + b.width()) - std::max(a.left(), b.left());
    if (w <= 0) {
        return 0;
    }
    const int h = std::min(a.top() + a.height(), b.top() + b.height()) - std::max(a.top(), b.top());
    return h > 0 ? int64_t{w} * h : 0;
}

// About how much of an area lies outside the disc: a quarter of it for each corner outside.
class DiscTest {
  public:
    explicit DiscTest(const SkyPlotGeometry& geometry) {
        const QRect disc = geometry.ClipBounds();
        cx_ = disc.left() + disc.width() / 2.0;
        cy_ = disc.top() + disc.height() / 2.0;
        const double reach = disc.width() / 2.0 - 1;
        reachSquared_ = reach < 0 ? -1 : reach * reach;  // no disc: every corner is outside
    }

    int64_t Outside(const QRect& area) const {
        int corners = 0;
        for (const double x : {double(area.left()), double(area.left()) + area.width()}) {
            for (const double y : {double(area.top()), double(area.top()) + area.height()}) {
                const double dx = x - cx_;
                const double dy = y - cy_;
                corners += dx * dx + dy * dy > reachSquared_ ? 1 : 0;
            }
        }
        return int64_t{area.width()} * area.height() * corners / 4;
    }

  private:
    double cx_ = 0;
    double cy_ = 0;
    double reachSquared_ = 0;
};

}  // namespace

std::vector<LabelSide> PlaceLabels(const SkyPlotGeometry& geometry,
                                   const std::vector<LabelRequest>& markers, int widestChar,
                                   int charHeight, QSize icon) {
    std::vector<LabelSide> sides(markers.size(), LabelSide::Below);
    if (icon.isEmpty()) {
        return sides;  // a cross has its label under it
    }
    // The icons, all of one size, by their left edges: a label can only cover those whose
    // left edge lies less than an icon's width before its own and not past its right.
    struct Icon {
        QRect at;
        size_t marker;
    };
    std::vector<Icon> icons;
    icons.reserve(markers.size());
    for (size_t i = 0; i < markers.size(); ++i) {
        const auto layout =
            SkyPlotGeometry::MarkerLayout(markers[i].at, widestChar, charHeight, icon);
        icons.push_back({QRect(layout.image.topLeft() + layout.iconAt, icon), i});
    }
    std::sort(icons.begin(), icons.end(),
              [](const Icon& a, const Icon& b) { return a.at.left() < b.at.left(); });
    const DiscTest disc(geometry);
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
            // A label cut off by the horizon counts as if it hid its own size of icons; another
            // icon hidden counts double, since a satellite is its icon first. A side that
            // already covers as much as the best one so far cannot win, and is left at that.
            int64_t covered = 2 * disc.Outside(text);
            const auto first = std::partition_point(icons.begin(), icons.end(), [&](const Icon& c) {
                return c.at.left() + c.at.width() <= text.left();
            });
            for (auto c = first;
                 c != icons.end() && c->at.left() < text.left() + text.width() && covered < best;
                 ++c) {
                covered += c->marker == i ? 0 : 2 * Overlap(text, c->at);
            }
            for (size_t j = 0; j < placed.size() && covered < best; ++j) {
                covered += Overlap(text, placed[j]);
            }
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

const std::vector<LabelSide>& LabelPlacer::Place(const SkyPlotGeometry& geometry,
                                                 const std::vector<LabelRequest>& markers,
                                                 int widestChar, int charHeight, QSize icon) {
    const QRect disc = geometry.ClipBounds();
    if (markers != markers_ || disc != disc_ || widestChar != widestChar_ ||
        charHeight != charHeight_ || icon != icon_) {
        sides_ = PlaceLabels(geometry, markers, widestChar, charHeight, icon);
        markers_ = markers;
        disc_ = disc;
        widestChar_ = widestChar;
        charHeight_ = charHeight;
        icon_ = icon;
    }
    return sides_;
}

}  // namespace horalux
