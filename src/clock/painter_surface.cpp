#include "clock/painter_surface.h"

#include <cstdlib>

#include "clock/qt_color.h"

namespace horalux {

namespace {

class PainterPen final : public SegmentPen {
  public:
    PainterPen(int width, QColor colour) : width(width), colour(colour) {}
    const int width;
    const QColor colour;
};

}  // namespace

PainterSurface::PainterSurface(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

std::unique_ptr<SegmentPen> PainterSurface::makePen(int width, ColorRef colour) {
    return std::make_unique<PainterPen>(width, toQColor(colour));
}

SegmentPen* PainterSurface::selectPen(SegmentPen* pen) {
    SegmentPen* const previous = selected_;
    selected_ = pen;
    return previous;
}

void PainterSurface::moveTo(int x, int y) {
    current_ = QPoint(x, y);
}

void PainterSurface::lineTo(int x, int y) {
    const QPoint from = current_;
    const QPoint to(x, y);
    current_ = to;

    const auto* pen = dynamic_cast<const PainterPen*>(selected_);
    const int width = pen != nullptr ? pen->width : 1;
    const QColor colour = pen != nullptr ? pen->colour : QColor(Qt::black);
    if (width <= 1) {
        thinLine(from, to, colour);
        return;
    }
    // Pixel centres lie half a pixel inside Qt's integer grid.
    const QPointF a = QPointF(from) + QPointF(0.5, 0.5);
    const QPointF b = QPointF(to) + QPointF(0.5, 0.5);
    painter_.save();
    if (from == to) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(colour);
        painter_.drawEllipse(a, width / 2.0, width / 2.0);
    } else {
        painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter_.drawLine(a, b);
    }
    painter_.restore();
}

void PainterSurface::thinLine(QPoint from, QPoint to, const QColor& colour) {
    if (from == to) {
        return;
    }
    if (from.y() == to.y()) {  // horizontal: from the start up to the pixel before the end
        const int step = to.x() > from.x() ? 1 : -1;
        const int last = to.x() - step;
        painter_.fillRect(QRect(QPoint(std::min(from.x(), last), from.y()),
                                QPoint(std::max(from.x(), last), from.y())),
                          colour);
        return;
    }
    if (from.x() == to.x()) {
        const int step = to.y() > from.y() ? 1 : -1;
        const int last = to.y() - step;
        painter_.fillRect(QRect(QPoint(from.x(), std::min(from.y(), last)),
                                QPoint(from.x(), std::max(from.y(), last))),
                          colour);
        return;
    }
    // Any other slope: Bresenham's line, every point but the last.
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    int x = from.x();
    int y = from.y();
    while (x != to.x() || y != to.y()) {
        painter_.fillRect(QRect(x, y, 1, 1), colour);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

}  // namespace horalux
