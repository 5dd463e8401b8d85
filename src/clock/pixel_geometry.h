#pragma once

namespace horalux {

// A point in pixels.
struct PixelPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A rectangle in pixels by its edges; right and bottom lie just outside it, so the width is
// right - left.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    // The rectangle moved inwards by `margin` on every side.
    PixelRect shrunk(int margin) const {
        return {left + margin, top + margin, right - margin, bottom - margin};
    }

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace horalux
