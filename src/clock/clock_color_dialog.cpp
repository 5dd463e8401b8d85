#include "clock/clock_color_dialog.h"

#include <QColorDialog>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "clock/qt_color.h"
#include "clock/segment_clock_display.h"
#include "ui/dialog_font.h"
#include "ui/dialog_units.h"

namespace horalux {

namespace {

// Whether a button's text shows whole, with the style's margin on either side.
bool textFits(const QPushButton& button) {
    const int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
    return button.fontMetrics().horizontalAdvance(button.text()) + 2 * margin <= button.width();
}

// The rectangles in dialog units were made for a narrower font than most desktops have: when a
// button's text is wider than its button, the buttons take one smaller size of the font, all
// alike, until every text shows whole.
void fitTexts(std::initializer_list<QPushButton*> buttons) {
    constexpr int kSmallestPixelSize = 8;
    const auto fit = [&] {
        return std::all_of(buttons.begin(), buttons.end(),
                           [](const QPushButton* button) { return textFits(*button); });
    };
    QFont font = (*buttons.begin())->font();
    while (!fit() && font.pixelSize() > kSmallestPixelSize) {
        font.setPixelSize(font.pixelSize() - 1);
        for (QPushButton* button : buttons) {
            button->setFont(font);
        }
    }
}

}  // namespace

ClockColorDialog::ClockColorDialog(const SystemClock& clock, QWidget* parent, ColorPicker* picker)
    : QDialog(parent),
      ownPicker_(picker == nullptr ? std::make_unique<QtColorPicker>() : nullptr),
      picker_(picker == nullptr ? ownPicker_.get() : picker),
      preview_(new SegmentClockDisplay(clock, this)) {
    setObjectName("ClockColorDialog");
    setWindowTitle("Custom Clock Color");
    setFont(dialogFont());
    setFixedSize(dialogUnitsToPixelsX(212), dialogUnitsToPixelsY(95));

    auto* active = new QPushButton("Set Active Segment Color", this);
    active->setObjectName("setActiveSegmentColor");  // 1057
    active->setGeometry(dialogRect(7, 48, 94, 14));
    auto* inactive = new QPushButton("Set Inactive Segment Color", this);
    inactive->setObjectName("setInactiveSegmentColor");  // 1058
    inactive->setGeometry(dialogRect(111, 48, 94, 14));
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("ok");
    ok->setGeometry(dialogRect(50, 74, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancel");
    cancel->setGeometry(dialogRect(111, 74, 50, 14));
    fitTexts({active, inactive});

    preview_->setObjectName("preview");  // 1056
    preview_->setGeometry(dialogRect(12, 7, 186, 32));
    preview_->setAttribute(Qt::WA_TransparentForMouseEvents);
    preview_->state().thickness = kPreviewThickness;
    preview_->EnableTimer(1, kPreviewPeriodMs);
    setColors(colors_);

    connect(active, &QPushButton::clicked, this, &ClockColorDialog::pickActiveColor);
    connect(inactive, &QPushButton::clicked, this, &ClockColorDialog::pickInactiveColor);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ClockColorDialog::~ClockColorDialog() = default;

void ClockColorDialog::setColors(const ClockColors& colors) {
    colors_ = colors;
    preview_->state().lit = colors.lit;
    preview_->state().unlit = colors.unlit;
}

void ClockColorDialog::pickActiveColor() {
    if (const std::optional<ColorRef> picked = pick(colors_.lit)) {
        colors_.lit = *picked;
        preview_->state().lit = *picked;
        preview_->invalidate(false);
    }
}

void ClockColorDialog::pickInactiveColor() {
    if (const std::optional<ColorRef> picked = pick(colors_.unlit)) {
        colors_.unlit = *picked;
        preview_->state().unlit = *picked;
        preview_->invalidate(false);
    }
}

std::optional<ColorRef> ClockColorDialog::pick(ColorRef initial) {
    // The first two custom boxes (shared by every colour dialog of the process) suggest the
    // current pair.
    QColorDialog::setCustomColor(0, toQColor(colors_.lit));
    QColorDialog::setCustomColor(1, toQColor(colors_.unlit));
    return picker_->pick(initial, this);
}

}  // namespace horalux
