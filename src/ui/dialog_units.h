#pragma once

#include <QRect>

namespace horalux {

// Dialog layouts are given in dialog units of an 8-point dialog font, whose base units are 6 x 13
// pixels: x pixels = x * 6 / 4, y pixels = y * 13 / 8 (truncated), at 96 dpi.
inline int dialogUnitsToPixelsX(int x) {
    return x * 6 / 4;
}
inline int dialogUnitsToPixelsY(int y) {
    return y * 13 / 8;
}

// A control's rectangle (x, y, width, height in dialog units) in pixels. Width and height come
// from the converted edges, so adjacent controls stay adjacent.
inline QRect dialogRect(int x, int y, int width, int height) {
    const int left = dialogUnitsToPixelsX(x);
    const int top = dialogUnitsToPixelsY(y);
    return QRect(left, top, dialogUnitsToPixelsX(x + width) - left,
                 dialogUnitsToPixelsY(y + height) - top);
}

}  // namespace horalux
