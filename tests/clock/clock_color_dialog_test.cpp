#include <gtest/gtest.h>

#include <QColorDialog>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include "clock/clock_color_dialog.h"
#include "clock/qt_color.h"
#include "clock/segment_clock_display.h"
#include "clock/widget_test_support.h"
#include "platform/fake_system_clock.h"

namespace horalux {
namespace {

// Answers picks without a window and notes what the picker would have shown.
class FakePicker final : public ColorPicker {
  public:
    struct Call {
        ColorRef initial;
        ColorRef custom0;
        ColorRef custom1;
    };
    std::vector<Call> calls;
    std::optional<ColorRef> answer;

    std::optional<ColorRef> pick(ColorRef initial, QWidget*) override {
        calls.push_back({initial, toColorRef(QColorDialog::customColor(0)),
                         toColorRef(QColorDialog::customColor(1))});
        return answer;
    }
};

class ClockColorDialogTest : public testing::Test {
  protected:
    FakeSystemClock clock;
    FakePicker picker;
    ClockColorDialog dialog{clock, nullptr, &picker};

    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
};

TEST_F(ClockColorDialogTest, LaidOutInDialogUnits) {
    EXPECT_EQ(dialog.windowTitle(), "Custom Clock Color");
    EXPECT_EQ(dialog.size(), QSize(318, 154));  // 212 x 95 units
    ASSERT_TRUE(button("setActiveSegmentColor") && button("setInactiveSegmentColor") &&
                button("ok") && button("cancel"));
    EXPECT_EQ(button("setActiveSegmentColor")->text(), "Set Active Segment Color");
    EXPECT_EQ(button("setActiveSegmentColor")->geometry(), QRect(10, 78, 141, 22));
    EXPECT_EQ(button("setInactiveSegmentColor")->text(), "Set Inactive Segment Color");
    EXPECT_EQ(button("setInactiveSegmentColor")->geometry(), QRect(166, 78, 141, 22));
    EXPECT_EQ(button("ok")->geometry(), QRect(75, 120, 75, 23));
    EXPECT_TRUE(button("ok")->isDefault());
    EXPECT_EQ(button("cancel")->geometry(), QRect(166, 120, 75, 23));
    EXPECT_EQ(dialog.preview().geometry(), QRect(18, 11, 279, 52));
}

TEST_F(ClockColorDialogTest, EveryButtonShowsItsWholeText) {
    // Drawn in the dialog font, or a smaller size of it where a text is wider than its button.
    EXPECT_EQ(dialog.font().pixelSize(), 11);
    for (const char* name : {"setActiveSegmentColor", "setInactiveSegmentColor", "ok", "cancel"}) {
        const QPushButton* b = button(name);
        ASSERT_NE(b, nullptr) << name;
        const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 2 * margin, b->width()) << name;
        EXPECT_LE(b->fontMetrics().height(), b->height()) << name;
        EXPECT_GE(b->font().pixelSize(), 8) << name;
    }
    EXPECT_EQ(button("setActiveSegmentColor")->font(), button("setInactiveSegmentColor")->font());
}

TEST_F(ClockColorDialogTest, ThePreviewShowsThePairThinAndTicking) {
    dialog.setColors({0x0000FF, 0x000030});
    const SegmentClockState& s = dialog.preview().state();
    EXPECT_EQ(s.thickness, 3);
    EXPECT_EQ(s.localTime, 1);
    EXPECT_EQ(s.lit, 0x0000FFu);
    EXPECT_EQ(s.unlit, 0x000030u);
    EXPECT_TRUE(dialog.preview().timerActive());
    EXPECT_TRUE(dialog.preview().testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(ClockColorDialogTest, PicksStartAtTheCurrentColourWithThePairAsSuggestions) {
    dialog.setColors({0xFF0000, 0x400000});
    picker.answer = 0x00FF00;
    button("setActiveSegmentColor")->click();
    ASSERT_EQ(picker.calls.size(), 1u);
    EXPECT_EQ(picker.calls[0].initial, 0xFF0000u);
    EXPECT_EQ(picker.calls[0].custom0, 0xFF0000u);
    EXPECT_EQ(picker.calls[0].custom1, 0x400000u);
    EXPECT_EQ(dialog.colors(), (ClockColors{0x00FF00, 0x400000}));
    EXPECT_EQ(dialog.preview().state().lit, 0x00FF00u);

    picker.answer = 0x003000;
    button("setInactiveSegmentColor")->click();
    ASSERT_EQ(picker.calls.size(), 2u);
    EXPECT_EQ(picker.calls[1].initial, 0x400000u);  // starts with the unlit colour
    EXPECT_EQ(picker.calls[1].custom0, 0x00FF00u);  // the current lit colour first
    EXPECT_EQ(picker.calls[1].custom1, 0x400000u);
    EXPECT_EQ(dialog.colors(), (ClockColors{0x00FF00, 0x003000}));
    EXPECT_EQ(dialog.preview().state().unlit, 0x003000u);
}

TEST_F(ClockColorDialogTest, ACancelledPickChangesNothing) {
    dialog.setColors({0xFF0000, 0x400000});
    picker.answer.reset();
    dialog.pickActiveColor();
    dialog.pickInactiveColor();
    EXPECT_EQ(picker.calls.size(), 2u);
    EXPECT_EQ(dialog.colors(), (ClockColors{0xFF0000, 0x400000}));
    EXPECT_EQ(dialog.preview().state().lit, 0xFF0000u);
    EXPECT_EQ(dialog.preview().state().unlit, 0x400000u);
}

TEST_F(ClockColorDialogTest, OkAndCancelCloseWithTheirResults) {
    dialog.setColors({0x0000FF, 0x000030});
    dialog.open();
    button("ok")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.colors(), (ClockColors{0x0000FF, 0x000030}));

    dialog.open();
    button("cancel")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(QtColorPickerTest, OpensQtsDialogAtTheInitialColourAndReturnsThePick) {
    QColor shown;
    bool custom = false;
    // Answer the modal dialog from inside its own event loop; give up after five seconds.
    QTimer answer;
    int attempts = 0;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (++attempts > 250) {
                answer.stop();
            }
            return;
        }
        shown = dialog->currentColor();
        custom = dialog->testOption(QColorDialog::DontUseNativeDialog);
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog->accept();
        answer.stop();
    });
    answer.start(20);
    QtColorPicker picker;
    const std::optional<ColorRef> picked = picker.pick(0x400000, nullptr);
    EXPECT_EQ(shown, QColor(0, 0, 0x40));
    EXPECT_TRUE(custom);
    EXPECT_EQ(picked, std::optional<ColorRef>(0x563412));
}

}  // namespace
}  // namespace horalux
