#pragma once

#include <QRect>
#include <vector>

namespace horalux {

// Where a one-line label whose text is wider than its template rectangle goes: widened to
// `textWidth` into the free space beside it, first on the side its text is aligned away from
// (a left-aligned label grows to the right, a right-aligned one to the left), then on the other
// side, never into one of `obstacles` (the other controls on its line, with a gap of 3 pixels
// kept), out of a frame around it (one of `obstacles` that contains it, 4 pixels kept) nor out
// of `bounds`.
// Where there is not room enough it takes what there is. A label that fits keeps its rectangle.
QRect FitLabel(const QRect& label, int textWidth, bool alignedRight,
               const std::vector<QRect>& obstacles, const QRect& bounds);

}  // namespace horalux
