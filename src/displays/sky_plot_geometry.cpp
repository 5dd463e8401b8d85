#include "displays/sky_plot_geometry.h"

#include <algorithm>
#include <cmath>

namespace horalux {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519944444;
constexpr double kFarAway = 1e6;

int Trunc(double v) {
    return static_cast<int>(std::clamp(v, -kFarAway, kFarAway));
}

QString DegreesLabel(int degrees) {
    return QString::number(degrees) + QChar(SkyPlotGeometry::kDegreeSign);
}

}  // namespace

SkyPlotGeometry::SkyPlotGeometry(QSize client)
    : inner_(QRect(QPoint(0, 0), client).adjusted(2, 2, -2, -2)) {
    // The inner rectangle's edges as a window rectangle gives them: left, top, right, bottom.
    const double left = inner_.left();
    const double top = inner_.top();
    const double right = left + inner_.width();
    const double bottom = top + inner_.height();
    cx_ = (left + right) / 2;
    cy_ = (top + bottom) / 2;
    radius_ = std::max(0.0, std::min(right - left, bottom - top) / 2);
}

QPoint SkyPlotGeometry::Polar(int azimuth, int elevation) const {
    const double rho = radius_ / 90 * (90.0 - elevation);
    const double a = azimuth * kRadiansPerDegree;
    return QPoint(Trunc(cx_) + Trunc(rho * std::sin(a)), Trunc(cy_) + Trunc(-rho * std::cos(a)));
}

QRect SkyPlotGeometry::ClipBounds() const {
    const int r = ClipRadius();
    const int left = Trunc(cx_ - r);
    const int top = Trunc(cy_ - r);
    return QRect(left, top, Trunc(cx_ + r) + 1 - left, Trunc(cy_ + r) + 1 - top);
}

bool SkyPlotGeometry::InsideDisc(const QRect& area) const {
    const QRect bounds = ClipBounds();
    const double centreX = bounds.left() + bounds.width() / 2.0;
    const double centreY = bounds.top() + bounds.height() / 2.0;
    const double reach = bounds.width() / 2.0 - 1;
    if (area.isEmpty() || reach <= 0) {
        return false;
    }
    for (const double x : {double(area.left()), double(area.left()) + area.width()}) {
        for (const double y : {double(area.top()), double(area.top()) + area.height()}) {
            if (std::hypot(x - centreX, y - centreY) > reach) {
                return false;
            }
        }
    }
    return true;
}

std::vector<SkyPlotGeometry::Ring> SkyPlotGeometry::Rings(int ringStep) const {
    std::vector<Ring> rings;
    if (ringStep <= 0) {
        return rings;
    }
    for (int e = 0; e < 90; e += ringStep) {
        const int r = Trunc(radius_ - e * radius_ / 90);
        const int left = Trunc(cx_ - r);
        const int top = Trunc(cy_ - r);
        const QRect bounds(left, top, Trunc(cx_ + r) - left, Trunc(cy_ + r) - top);
        rings.push_back({e, bounds, e != 0, e != 0 ? DegreesLabel(e) : QString(), Polar(45, e)});
    }
    return rings;
}

std::vector<SkyPlotGeometry::Spoke> SkyPlotGeometry::Spokes(int spokeStep,
                                                            int labelElevation) const {
    std::vector<Spoke> spokes;
    if (spokeStep <= 0) {
        return spokes;
    }
    for (int a = 0; a < 360; a += spokeStep) {
        const double radians = a * kRadiansPerDegree;
        const QPoint centre(Trunc(cx_), Trunc(cy_));
        const QPoint end(centre.x() + Trunc(radius_ * std::sin(radians)),
                         centre.y() - Trunc(radius_ * std::cos(radians)));
        QString label;
        switch (a) {
            case 0:
                label = QStringLiteral(" N ");
                break;
            case 90:
                label = QStringLiteral(" E ");
                break;
            case 180:
                label = QStringLiteral(" S ");
                break;
            case 270:
                label = QStringLiteral(" W ");
                break;
            default:
                label = DegreesLabel(a);
        }
        spokes.push_back({a, QLine(centre, end), label, Polar(a, labelElevation)});
    }
    return spokes;
}

QPoint SkyPlotGeometry::LabelTopLeft(QPoint at, QSize textSize) {
    return at - QPoint(textSize.width() / 2, textSize.height() / 2);
}

SkyPlotGeometry::Marker SkyPlotGeometry::MarkerLayout(QPoint at, int widestChar, int charHeight,
                                                      QSize icon, LabelSide side) {
    const int w = 5 * widestChar;
    const int h = 3 * charHeight;
    Marker m;
    QPoint anchor;  // in the image: the point that falls on the satellite
    if (icon.isEmpty()) {
        // The strokes (w/2 - 2, 0) to (w/2 + 3, 5) and (w/2 + 2, 0) to (w/2 - 3, 5), each
        // without its end point.
        m.cross[0] = QLine(w / 2 - 2, 0, w / 2 + 2, 4);
        m.cross[1] = QLine(w / 2 + 2, 0, w / 2 - 2, 4);
        const int textTop = charHeight / 2;
        m.text = QRect(0, textTop, w, std::max(0, h - textTop));
        anchor = QPoint(w / 2, 2);
    } else {
        const int iw = icon.width();
        const int ih = icon.height();
        const int middle = h / 2 - ih / 2;  // the icon's top when the label is beside it
        switch (side) {
            case LabelSide::Below:
                m.iconAt = QPoint(w / 2 - iw / 2, 0);
                m.text = QRect(0, ih, w, std::max(0, h - ih));
                break;
            case LabelSide::Above:
                m.iconAt = QPoint(w / 2 - iw / 2, h - ih);
                m.text = QRect(0, 0, w, std::max(0, h - ih));
                m.textAlignment = Qt::AlignHCenter | Qt::AlignBottom;
                break;
            case LabelSide::Right:
                m.iconAt = QPoint(0, middle);
                m.text = QRect(iw + 1, 0, std::max(0, w - iw - 1), h);
                m.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
                break;
            case LabelSide::Left:
                m.iconAt = QPoint(w - iw, middle);
                m.text = QRect(0, 0, std::max(0, w - iw - 1), h);
                m.textAlignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
        }
        anchor = m.iconAt + QPoint(iw / 2, ih / 2);
    }
    m.image = QRect(at - anchor, QSize(w, h));
    return m;
}

QRect SkyPlotGeometry::TextBounds(const Marker& marker, QSize text) {
    const QRect box = marker.text.translated(marker.image.topLeft());
    int x = box.left() + (box.width() - text.width()) / 2;
    if (marker.textAlignment & Qt::AlignLeft) {
        x = box.left();
    } else if (marker.textAlignment & Qt::AlignRight) {
        x = box.left() + box.width() - text.width();
    }
    int y = box.top();
    if (marker.textAlignment & Qt::AlignBottom) {
        y = box.top() + box.height() - text.height();
    } else if (marker.textAlignment & Qt::AlignVCenter) {
        y = box.top() + (box.height() - text.height()) / 2;
    }
    return QRect(QPoint(x, y), text);
}

}  // namespace horalux
