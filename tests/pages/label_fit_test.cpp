// Labels wider than their template rectangles: where they grow, and where they must stop.
#include "pages/label_fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace horalux {
namespace {

TEST(LabelFitTest, GrowsIntoTheFreeSpaceOnItsLine) {
    const QRect page(0, 0, 525, 211);
    const QRect label(91, 76, 69, 13);  // "Update Every:" before its field
    const QRect field(166, 73, 80, 20);
    const QRect frame(10, 11, 505, 114);  // around both: the label stays inside
    const QRect below(91, 120, 200, 13);  // another line: no obstacle
    const std::vector<QRect> others{field, frame, below};
    struct Case {
        const char* what;
        QRect label;
        int textWidth;
        bool alignedRight;
        QRect fitted;
    };
    for (const Case& c : std::vector<Case>{
             {"fits", label, 60, false, label},
             {"room on the right", label, 72, false, label.adjusted(0, 0, 3, 0)},
             {"then the left", label, 80, false, label.adjusted(-8, 0, 3, 0)},
             {"right-aligned: the left first", label, 80, true, label.adjusted(-11, 0, 0, 0)},
             {"no more than there is, inside its frame", label, 400, false, QRect(14, 76, 149, 13)},
         }) {
        EXPECT_EQ(FitLabel(c.label, c.textWidth, c.alignedRight, others, page), c.fitted) << c.what;
    }
    // Hemmed in on both sides: it stays as it is.
    EXPECT_EQ(FitLabel(label, 90, false, {QRect(80, 70, 11, 20), field}, page),
              label.adjusted(0, 0, 3, 0));
    EXPECT_EQ(FitLabel(QRect(0, 0, 50, 13), 90, false, {QRect(52, 0, 10, 13)}, page),
              QRect(0, 0, 50, 13));
}

}  // namespace
}  // namespace horalux
