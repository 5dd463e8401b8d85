#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace horalux {

// Where a satellite's label goes beside its icon: under it, as always, or, where that spot is
// taken, to its right, to its left or above it.
enum class LabelSide { Below, Right, Left, Above };

// Where the sky plot draws, for a control of a given client size: the disc in the inner
// rectangle (the client area less 2 pixels on each side), the polar mapping of azimuth and
// elevation onto it, the rings and spokes of the grid, and the layout of one satellite marker.
// North is up, east to the right; the centre is the zenith and the outer circle the horizon.
//
// Rectangles are in pixels with their right and bottom edges excluded (an area of w x h pixels
// from its top-left corner); lines include both end points.
class SkyPlotGeometry {
  public:
    explicit SkyPlotGeometry(QSize client = QSize(0, 0));

    QRect inner() const { return inner_; }
    double cx() const { return cx_; }
    double cy() const { return cy_; }
    double radius() const { return radius_; }

    // The point at azimuth a and elevation e, whole degrees: distance R / 90 * (90 - e) from the
    // centre, a clockwise from north. Points far outside the disc are kept within +-10^6.
    QPoint Polar(int azimuth, int elevation) const;

    // The disc everything is clipped to: the ellipse in this rectangle, of radius trunc(R).
    QRect ClipBounds() const;
    int ClipRadius() const { return static_cast<int>(radius_); }
    // Whether an area lies wholly inside that disc (with a pixel to spare), so that clipping
    // to the disc leaves it whole.
    bool InsideDisc(const QRect& area) const;

    struct Ring {
        int elevation;
        QRect bounds;    // the ellipse of the ring, filled with the background
        bool labelled;   // every ring but the horizon carries its elevation
        QString label;   // "30º"
        QPoint labelAt;  // the middle of the label: azimuth 45 at the ring's elevation
    };
    // Rings at elevation 0, step, 2 step ... below 90; none for a step of 0 or less.
    std::vector<Ring> Rings(int ringStep) const;

    struct Spoke {
        int azimuth;
        QLine line;      // from the centre to the horizon
        QString label;   // " N ", " E ", " S ", " W ", or "30º"
        QPoint labelAt;  // the middle of the label: the spoke at `labelElevation`
    };
    // Spokes at azimuth 0, step, 2 step ... below 360; none for a step of 0 or less.
    std::vector<Spoke> Spokes(int spokeStep, int labelElevation) const;

    // Where a label of this size goes so that its middle is on `at`.
    static QPoint LabelTopLeft(QPoint at, QSize textSize);

    // One satellite's marker, composed on its own black image and combined with the plot by
    // exclusive-or: w = 5 x the font's widest character, h = 3 x its character height; the icon
    // (when there is one) at the top middle with the text under it, else a small diagonal cross
    // with the text half a character lower. With an icon the label may go on another side: the
    // icon then sits at the image's bottom middle, left middle or right middle, its centre on
    // the satellite's point as always, and the text beside it.
    struct Marker {
        QRect image;     // the marker's image, placed on the plot
        QPoint iconAt;   // in the image: the icon's top-left corner
        QLine cross[2];  // in the image: the cross's strokes (no icon)
        QRect text;      // in the image: the label's box
        Qt::Alignment textAlignment = Qt::AlignHCenter | Qt::AlignTop;  // of the text in its box
    };
    static Marker MarkerLayout(QPoint at, int widestChar, int charHeight, QSize icon,
                               LabelSide side = LabelSide::Below);
    // Where a text of this size lands on the plot in a marker's label box.
    static QRect TextBounds(const Marker& marker, QSize text);

    // The degree-like sign the grid labels end in (U+00BA).
    static constexpr char16_t kDegreeSign = 0x00BA;

  private:
    QRect inner_;
    double cx_ = 0;
    double cy_ = 0;
    double radius_ = 0;
};

}  // namespace horalux
