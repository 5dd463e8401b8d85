#pragma once

#include <QDialog>
#include <memory>

#include "clock/clock_colors.h"
#include "clock/color_picker.h"
#include "platform/system_clock.h"

class QPushButton;

namespace horalux {

class SegmentClockDisplay;

// "Custom Clock Color": the lit and unlit segment colours with a live preview. The opener sets
// the pair, runs the dialog and on OK reads the pair back; the dialog writes nothing itself.
class ClockColorDialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kResourceId = 145;
    static constexpr int kPreviewThickness = 3;
    static constexpr int kPreviewPeriodMs = 100;

    // `picker` picks single colours (null: Qt's colour dialog); it must outlive the dialog.
    explicit ClockColorDialog(const SystemClock& clock, QWidget* parent = nullptr,
                              ColorPicker* picker = nullptr);
    ~ClockColorDialog() override;

    // The dialog's pair, which the preview shows.
    void setColors(const ClockColors& colors);
    ClockColors colors() const { return colors_; }

    SegmentClockDisplay& preview() { return *preview_; }

    // "Set Active Segment Color" (1057) and "Set Inactive Segment Color" (1058).
    void pickActiveColor();
    void pickInactiveColor();

  private:
    std::optional<ColorRef> pick(ColorRef initial);

    ClockColors colors_;
    std::unique_ptr<ColorPicker> ownPicker_;
    ColorPicker* picker_;
    SegmentClockDisplay* preview_;
};

}  // namespace horalux
