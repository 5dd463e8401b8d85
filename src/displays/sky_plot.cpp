#include "displays/sky_plot.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "clock/qt_color.h"
#include "displays/display_accessibility.h"
#include "displays/sky_label_placement.h"
#include "resources/horalux_resources.h"

namespace horalux {

namespace {

QImage LoadIcon(int id) {
    if (id == 0) {
        return QImage();
    }
    return resourceBitmap(id).toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

SkyPlot::SkyPlot(QWidget* parent) : QWidget(parent), markerMetrics_(markerFont_) {
    InstallDisplayAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetFonts();
}

void SkyPlot::SetFonts() {
    gridFont_ = PlotFont(state_.fontSize);
    markerFont_ = gridFont_;
    // Plain pixels: an exclusive-or of smoothed edges would leave fringes of odd colours.
    markerFont_.setStyleStrategy(QFont::NoAntialias);
    markerMetrics_ = QFontMetrics(markerFont_);
    markerImages_.clear();
    labelWidths_.clear();
}

QFont SkyPlot::PlotFont(int tenthsOfAPoint) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(tenthsOfAPoint * 96.0 / 720.0))));
    return font;
}

void SkyPlot::SetSpokeStep(int degrees) {
    state_.SetSpokeStep(degrees);
    Invalidate();
}

void SkyPlot::SetRingStep(int degrees) {
    state_.SetRingStep(degrees);
    Invalidate();
}

void SkyPlot::SetFontSize(int tenthsOfAPoint) {
    state_.fontSize = tenthsOfAPoint;
    SetFonts();
    Invalidate();
}

void SkyPlot::SetGridTextColor(ColorRef colour) {
    state_.gridLabelColour = colour;
    Invalidate();
}

void SkyPlot::SetSatelliteIcons(int usedIcon, int inViewIcon) {
    state_.usedIcon = usedIcon;
    state_.inViewIcon = inViewIcon;
    // Loaded once here rather than for every marker: decoding a picture costs more than the
    // marker it is drawn in.
    usedIcon_ = LoadIcon(usedIcon);
    inViewIcon_ = LoadIcon(inViewIcon);
    markerImages_.clear();
    Invalidate();
}

void SkyPlot::SetLabelFormat(const QString& format) {
    state_.SetLabelFormat(format);
    markerImages_.clear();
    labelWidths_.clear();
    Invalidate();
}

void SkyPlot::Invalidate() {
    stale_ = true;
    update();
}

const QImage& SkyPlot::Icon(int id) {
    if (id != 0 && id == state_.usedIcon) {
        return usedIcon_;
    }
    if (id != 0 && id == state_.inViewIcon) {
        return inViewIcon_;
    }
    return noIcon_;
}

void SkyPlot::PlaceLabels() {
    std::vector<LabelRequest> requests;
    std::vector<SatelliteSlot*> placed;
    const int textHeight = markerMetrics_.height();
    for (SatelliteSlot& s : state_.satelliteSlots) {
        s.labelSide = LabelSide::Below;
        if (s.system && SkyPlotState::Visible(s.prn, s.azimuth, s.elevation)) {
            requests.push_back({geometry_.Polar(s.azimuth, s.elevation),
                                QSize(LabelWidth(s.prn, *s.system), textHeight)});
            placed.push_back(&s);
        }
    }
    if (requests.empty()) {
        return;
    }
    // Both icons are of one size (a cross, when there are none, keeps its label below).
    const QImage& icon = usedIcon_.isNull() ? inViewIcon_ : usedIcon_;
    const std::vector<LabelSide>& sides =
        placer_.Place(geometry_, requests, markerMetrics_.maxWidth(), textHeight, icon.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        placed[i]->labelSide = sides[i];
    }
}

int SkyPlot::LabelWidth(int32_t prn, GnssSystem system) {
    const auto key = std::make_pair(prn, system);
    const auto found = labelWidths_.find(key);
    if (found != labelWidths_.end()) {
        return found->second;
    }
    if (labelWidths_.size() >= 256) {
        labelWidths_.clear();  // bounded, whatever the receiver sends
    }
    const int width = markerMetrics_.horizontalAdvance(state_.Label(prn, system));
    labelWidths_.emplace(key, width);
    return width;
}

void SkyPlot::UpdateMarkers() {
    PlaceLabels();
    const std::vector<SkyMarker> markers = state_.Update();
    markersLastUpdate_ = static_cast<int>(markers.size());
    if (!markers.empty()) {
        NotifySummaryChanged(this);
    }
    if (stale_ || buffer_.isNull() || markers.empty()) {
        return;  // a whole repaint is due anyway, or nothing changed
    }
    QPainter painter(&buffer_);
    QRect touched;
    for (const SkyMarker& marker : markers) {
        touched |= DrawMarker(painter, marker);
    }
    painter.end();
    // One rectangle: the buffer outside the disc has not changed, so showing it again costs
    // less than an exact region would.
    update(touched & clip_.boundingRect());
}

void SkyPlot::resizeEvent(QResizeEvent* event) {
    stale_ = true;
    QWidget::resizeEvent(event);
}

void SkyPlot::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        Invalidate();
    }
    QWidget::changeEvent(event);
}

void SkyPlot::paintEvent(QPaintEvent* event) {
    if (stale_ || buffer_.size() != size()) {
        RepaintBuffer();
    }
    QPainter painter(this);
    for (const QRect& r : event->region()) {
        painter.drawImage(r.topLeft(), buffer_, r);
    }
}

void SkyPlot::RepaintBuffer() {
    stale_ = false;
    ++wholeRepaints_;
    // The same buffer while the size stays: a new one of this size would come from the system
    // afresh, page by page, on each whole repaint.
    const QSize bufferSize = size().expandedTo(QSize(1, 1));
    if (buffer_.size() != bufferSize) {
        buffer_ = QImage(bufferSize, QImage::Format_RGB32);
    }
    QPainter painter(&buffer_);

    // The background: the client area in the button face colour with a sunken one-pixel edge.
    const QRect r = rect();
    painter.fillRect(buffer_.rect(), palette().color(QPalette::Window));
    if (r.width() >= 1 && r.height() >= 1) {
        const QColor shadow = palette().color(QPalette::Shadow);
        const QColor highlight = palette().color(QPalette::Light);
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), shadow);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), shadow);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), highlight);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), highlight);
    }
    geometry_ = SkyPlotGeometry(size());

    DrawGrid(painter);
    PlaceLabels();
    for (const SkyMarker& marker : state_.Repaint()) {
        DrawMarker(painter, marker);
    }
}

void SkyPlot::DrawGrid(QPainter& painter) {
    painter.save();
    const QFontMetrics metrics(gridFont_);
    painter.setFont(gridFont_);
    const QColor background = toQColor(state_.backgroundColour);
    painter.setPen(QPen(toQColor(state_.gridColour), 0));
    painter.setBrush(background);

    clip_ = QRegion(geometry_.ClipBounds(), QRegion::Ellipse);
    painter.setClipRegion(clip_);

    const auto label = [&](const QString& text, QPoint at) {
        const QSize size(metrics.horizontalAdvance(text), metrics.height());
        const QRect box(SkyPlotGeometry::LabelTopLeft(at, size), size);
        painter.fillRect(box, background);
        painter.setPen(toQColor(state_.gridLabelColour));
        painter.drawText(box.left(), box.top() + metrics.ascent(), text);
        painter.setPen(QPen(toQColor(state_.gridColour), 0));
    };
    // Each ring fills its inside with the background, the horizon first.
    for (const SkyPlotGeometry::Ring& ring : geometry_.Rings(state_.ringStep())) {
        const QRect b = ring.bounds;
        painter.drawEllipse(QRect(b.left(), b.top(), b.width() - 1, b.height() - 1));
        if (ring.labelled) {
            label(ring.label, ring.labelAt);
        }
    }
    for (const SkyPlotGeometry::Spoke& spoke :
         geometry_.Spokes(state_.spokeStep(), state_.spokeLabelElevation)) {
        painter.drawLine(spoke.line);
        label(spoke.label, spoke.labelAt);
    }
    painter.restore();
}

QRect SkyPlot::DrawMarker(QPainter& painter, const SkyMarker& marker) {
    const QImage& icon = Icon(marker.icon);
    const SkyPlotGeometry::Marker layout = SkyPlotGeometry::MarkerLayout(
        geometry_.Polar(marker.azimuth, marker.elevation), markerMetrics_.maxWidth(),
        markerMetrics_.height(), icon.size(), marker.labelSide);
    // Only the part of the marker that is not black: black leaves the buffer as it is.
    const MarkerPicture& picture = MarkerImage(marker, layout, icon);
    if (picture.image.isNull()) {
        return {};
    }
    const QRect area(layout.image.topLeft() + picture.offset, picture.image.size());
    // Clipped to the disc; a marker well inside it needs no clipping, which is the slow part.
    // The clip is set for this marker alone and taken away by restoring the painter: a clip
    // turned off with setClipping(false) and set again for a later marker does not always clip
    // that one the same way, and an exclusive-or drawn twice must touch the same pixels.
    painter.save();
    if (!geometry_.InsideDisc(area)) {
        painter.setClipRegion(clip_);
    }
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(area.topLeft(), picture.image);
    painter.restore();
    return area;
}

const SkyPlot::MarkerPicture& SkyPlot::MarkerImage(const SkyMarker& marker,
                                                   const SkyPlotGeometry::Marker& layout,
                                                   const QImage& icon) {
    const int system = marker.system ? static_cast<int>(*marker.system) : -1;
    const auto key = std::make_tuple(marker.prn, system, marker.colour, marker.icon,
                                     marker.labelSide, state_.crossColour);
    const auto found = markerImages_.find(key);
    if (found != markerImages_.end()) {
        return found->second;
    }
    if (markerImages_.size() >= 256) {
        markerImages_.clear();  // bounded, whatever the receiver sends
    }
    // Black, which leaves the plot as it is; the icon at the top middle, or a small cross; the
    // label under it.
    QImage image(layout.image.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    if (!icon.isNull()) {
        p.drawImage(layout.iconAt, icon);
    } else {
        p.setPen(QPen(toQColor(state_.crossColour), 0));
        p.drawLine(layout.cross[0]);
        p.drawLine(layout.cross[1]);
    }
    p.setFont(markerFont_);
    p.setPen(toQColor(marker.colour));
    p.drawText(layout.text, layout.textAlignment, state_.Label(marker.prn, marker.system));
    p.end();
    // Trimmed to what is not black (the label's box is as wide as its widest characters).
    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) != 0) {
                drawn |= QRect(x, y, 1, 1);
            }
        }
    }
    MarkerPicture picture{drawn.isEmpty() ? QImage() : image.copy(drawn), drawn.topLeft()};
    return markerImages_.emplace(key, std::move(picture)).first->second;
}

QString SkyPlot::AccessibleSummary() const {
    return QStringLiteral("Sky plot: ") + state_.Summary();
}

}  // namespace horalux
