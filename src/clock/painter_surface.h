#pragma once

#include <QColor>
#include <QPainter>
#include <QPoint>

#include "clock/segment_surface.h"

namespace horalux {

// SegmentSurface over a QPainter, with the line rules of the segment drawing: integer
// coordinates are pixel centres; a one-pixel pen (width 0 or 1) paints every pixel of a
// stroke but the end point, so a zero-length one-pixel stroke paints nothing; a wider pen is
// solid with round caps, so a zero-length stroke paints a disc of the pen's width. Nothing is
// antialiased, so a frame drawn over the last one at the same layout covers it exactly.
class PainterSurface final : public SegmentSurface {
  public:
    explicit PainterSurface(QPainter& painter);

    std::unique_ptr<SegmentPen> makePen(int width, ColorRef colour) override;
    SegmentPen* selectPen(SegmentPen* pen) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;

  private:
    void thinLine(QPoint from, QPoint to, const QColor& colour);

    QPainter& painter_;
    SegmentPen* selected_ = nullptr;  // null: the initial pen, one pixel of black
    QPoint current_;
};

}  // namespace horalux
