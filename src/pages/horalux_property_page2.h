#pragma once

#include <cstdint>

#include "pages/property_page.h"

namespace horalux {

// "Update PC Clock" (template 105): how many minutes lie between the automatic clock updates,
// stored keystroke by keystroke as typed (the low 16 bits of the number, without a range check;
// the main frame's minute count uses it from its next minute on), the hidden "Enable set beep"
// box, and "Update PC Clock Now", enabled while GPS time is locked and no update runs.
class CHoraluxPropertyPage2 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kResourceId = 105;
    static constexpr int kInterval = 1009;
    static constexpr int kSetBeep = 1059;
    static constexpr int kUpdateNow = 1008;
    static constexpr int kTimerPeriodMs = 500;

    CHoraluxPropertyPage2(const PageServices& services, BubbleTip& tip);

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    uint16_t lastLocalSecond_ = 0;
};

}  // namespace horalux
