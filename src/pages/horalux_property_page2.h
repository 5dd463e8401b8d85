#pragma once

#include <cstdint>

#include "pages/property_page.h"

namespace horalux {

class CorrectionPlot;

// "Update PC Clock" (template 105): how many minutes lie between the automatic clock updates,
// stored keystroke by keystroke as typed (the low 16 bits of the number, without a range check;
// the main frame's minute count uses it from its next minute on), the hidden "Enable set beep"
// box, and "Update PC Clock Now", enabled while GPS time is locked and no update runs.
//
// Below the interval, how the clock stands from the record of clock updates: the last update
// (when, from what, how it ended), the last correction, the PC clock's drift and a plot of the
// corrections over the last 24 hours or 30 days. They follow the record the moment an update
// ends, and the time on the page's timer.
class CHoraluxPropertyPage2 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kResourceId = 105;
    static constexpr int kInterval = 1009;
    static constexpr int kSetBeep = 1059;
    static constexpr int kUpdateNow = 1008;
    static constexpr int kLastUpdate = 1090;
    static constexpr int kLastCorrection = 1091;
    static constexpr int kDrift = 1092;
    static constexpr int kRange = 1093;
    static constexpr int kPlot = 1094;
    static constexpr int kTimerPeriodMs = 500;

    // What a field shows while there is nothing to say.
    static const QString kNothing;  // "—"

    CHoraluxPropertyPage2(const PageServices& services, BubbleTip& tip);
    ~CHoraluxPropertyPage2() override;

    CorrectionPlot* plot() const { return plot_; }

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    // The fields and the plot from the record as it stands at `nowMs`.
    void ShowRecord(int64_t nowMs);

    uint16_t lastLocalSecond_ = 0;
    CorrectionPlot* plot_ = nullptr;
    int subscription_ = 0;
    int64_t lastMinute_ = -1;  // of the clock, when the drift was last worked out
};

}  // namespace horalux
