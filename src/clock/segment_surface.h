#pragma once

#include <memory>

#include "clock/color_ref.h"

namespace horalux {

// A pen made by a SegmentSurface. Destroying it releases it; a pen must not be destroyed while
// it is selected into its surface.
class SegmentPen {
  public:
    virtual ~SegmentPen() = default;
};

// What the seven-segment drawing needs from a drawing surface: pens and straight strokes.
class SegmentSurface {
  public:
    virtual ~SegmentSurface() = default;

    // A solid pen with round end caps. A width of 0 or 1 gives a one-pixel pen.
    virtual std::unique_ptr<SegmentPen> makePen(int width, ColorRef colour) = 0;
    // Selects a pen and returns the one selected before (null: the surface's own initial pen).
    virtual SegmentPen* selectPen(SegmentPen* pen) = 0;
    // Sets the current point.
    virtual void moveTo(int x, int y) = 0;
    // Strokes from the current point to (x, y), which becomes the current point. A one-pixel
    // pen does not paint the end point; a wider pen paints a round cap at both ends, so a
    // stroke of zero length paints a disc of the pen's width.
    virtual void lineTo(int x, int y) = 0;
};

}  // namespace horalux
