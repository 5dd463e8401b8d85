#include "pages/label_fit.h"

#include <algorithm>

namespace horalux {

QRect FitLabel(const QRect& label, int textWidth, bool alignedRight,
               const std::vector<QRect>& obstacles, const QRect& bounds) {
    int missing = textWidth - label.width();
    if (missing <= 0) {
        return label;
    }
    // The free space on either side, up to a little short of the nearest control on the
    // label's line.
    constexpr int kGap = 3;
    constexpr int kFrameInset = 4;
    int freeLeft = label.left() - bounds.left();
    int freeRight = bounds.right() - label.right();
    for (const QRect& other : obstacles) {
        if (other.bottom() < label.top() || other.top() > label.bottom()) {
            continue;  // not on its line
        }
        if (other.contains(label)) {
            // A frame around it: the label stays inside, clear of the frame's lines.
            freeLeft = std::min(freeLeft, label.left() - other.left() - kFrameInset);
            freeRight = std::min(freeRight, other.right() - label.right() - kFrameInset);
            continue;
        }
        if (other.left() > label.right()) {
            freeRight = std::min(freeRight, other.left() - label.right() - 1 - kGap);
        } else if (other.right() < label.left()) {
            freeLeft = std::min(freeLeft, label.left() - other.right() - 1 - kGap);
        }
    }
    freeLeft = std::max(freeLeft, 0);
    freeRight = std::max(freeRight, 0);

    int left = 0;
    int right = 0;
    if (alignedRight) {
        left = std::min(missing, freeLeft);
        right = std::min(missing - left, freeRight);
    } else {
        right = std::min(missing, freeRight);
        left = std::min(missing - right, freeLeft);
    }
    return label.adjusted(-left, 0, right, 0);
}

}  // namespace horalux
