#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <map>
#include <tuple>
#include <vector>

#include "displays/display_accessibility.h"
#include "displays/sky_label_placement.h"
#include "displays/sky_plot_geometry.h"
#include "displays/sky_plot_state.h"

namespace horalux {

// The polar chart of the satellites in view: a black disc with elevation rings and azimuth
// spokes, and each satellite as an icon (or a small cross) with its number.
//
// The plot draws into a back buffer of its own, which its paint copies to the screen. A whole
// repaint (the first paint, a resize, any setter) draws the grid and every marker afresh. Its
// host writes the 40 slots of state() and calls UpdateMarkers() once a second: markers are
// combined with the buffer by exclusive-or, so the update draws only the satellites that moved,
// changed state, appeared or went, each removed by drawing it again where it was.
class SkyPlot final : public QWidget, public DescribedDisplay {
    Q_OBJECT
  public:
    explicit SkyPlot(QWidget* parent = nullptr);

    // Each setter stores its value and makes the next paint a whole repaint. A ring or spoke
    // step of 0 or less is refused.
    void SetSpokeStep(int degrees);
    void SetRingStep(int degrees);
    void SetFontSize(int tenthsOfAPoint);
    void SetGridTextColor(ColorRef colour);
    void SetSatelliteIcons(int usedIcon, int inViewIcon);
    void SetLabelFormat(const QString& format);

    SkyPlotState& state() { return state_; }
    const SkyPlotState& state() const { return state_; }
    SatelliteSlot& slot(int i) { return state_.satelliteSlots[static_cast<size_t>(i)]; }

    // Draws what changed in the slots since the last update or repaint.
    void UpdateMarkers();

    const SkyPlotGeometry& geometry() const { return geometry_; }
    // The plot as it stands in the back buffer (null before the first paint).
    const QImage& buffer() const { return buffer_; }
    // Markers drawn by the last UpdateMarkers and by the last whole repaint, for tests and the
    // benchmark.
    int markersLastUpdate() const { return markersLastUpdate_; }
    int wholeRepaints() const { return wholeRepaints_; }

    // "Sky plot: 12 satellites, 7 used in the fix: 5 at azimuth 120°, ...".
    QString AccessibleSummary() const override;

    // "Arial" at a size in tenths of a point, in pixels as a 96-dpi display makes it.
    static QFont PlotFont(int tenthsOfAPoint);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Invalidate();
    // Chooses the label side of every slot that carries a system (the others' stay below).
    void PlaceLabels();
    // The width of a satellite's label in the marker font (measured once).
    int LabelWidth(int32_t prn, GnssSystem system);
    void RepaintBuffer();
    void DrawGrid(QPainter& painter);
    // Combines one marker with the buffer by exclusive-or; returns the area it touched.
    QRect DrawMarker(QPainter& painter, const SkyMarker& marker);
    const QImage& Icon(int id);
    void SetFonts();
    // The marker's own image, trimmed to what is not black: composed once for each label,
    // colour and icon, then reused.
    struct MarkerPicture {
        QImage image;   // null when the whole marker is black
        QPoint offset;  // of the image within the marker's layout
    };
    const MarkerPicture& MarkerImage(const SkyMarker& marker, const SkyPlotGeometry::Marker& layout,
                                     const QImage& icon);

    SkyPlotState state_;
    SkyPlotGeometry geometry_;
    QImage buffer_;
    QRegion clip_;
    bool stale_ = true;
    QImage usedIcon_;
    QImage inViewIcon_;
    QImage noIcon_;
    QFont gridFont_;
    QFont markerFont_;
    QFontMetrics markerMetrics_;
    // Composed markers by PRN, system (-1 for none), colour, icon, label side and cross colour
    // (the label follows from the PRN and the system).
    std::map<std::tuple<int32_t, int, ColorRef, int32_t, LabelSide, ColorRef>, MarkerPicture>
        markerImages_;
    std::map<std::pair<int32_t, GnssSystem>, int> labelWidths_;
    LabelPlacer placer_;
    int markersLastUpdate_ = 0;
    int wholeRepaints_ = 0;
};

}  // namespace horalux
