#pragma once

#include <functional>
#include <optional>

#include "clock/clock_colors.h"
#include "pages/property_page.h"

namespace horalux {

class SegmentClockDisplay;

// "Time" (template 118), the first tab: the UTC time in large seven-segment digits, the colour
// scheme it shares with the desktop clock ("Display Color:", which follows a scheme chosen from
// the clock's own menu within a second unless the list has the focus), and "Update PC Clock
// Now", enabled while GPS time is locked and no update runs. Both clocks copy the process-wide
// colours on their own timers, so they change colour together.
class CHoraluxPropertyPage9 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kResourceId = 118;
    static constexpr int kDisplay = 1042;
    static constexpr int kColorList = 1046;
    static constexpr int kUpdateNow = 1008;
    static constexpr int kDisplayPeriodMs = 50;
    static constexpr int kDisplayThickness = 7;
    static constexpr int kFastTimer = 1;       // every 100 ms: colours and the button
    static constexpr int kSchemeTimer = 1000;  // every second: also the list from the store

    // Opens the custom colour dialog with the current pair; the new pair on OK.
    using CustomColorChooser = std::function<std::optional<ClockColors>(const ClockColors&)>;

    CHoraluxPropertyPage9(const PageServices& services, BubbleTip& tip);

    // Replaces ClockColorDialog (tests).
    void setCustomColorChooser(CustomColorChooser chooser) { chooser_ = std::move(chooser); }
    SegmentClockDisplay* display() const { return display_; }

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    // The user picked list position `position`.
    void OnColorSelected(int position);
    std::optional<ClockColors> chooseCustomColors(const ClockColors& initial);
    // The list entry of a "Clock Color" value; false when the value has none.
    bool SelectScheme(int32_t scheme);

    SegmentClockDisplay* display_ = nullptr;
    CustomColorChooser chooser_;
};

}  // namespace horalux
