#pragma once

#include <cstdint>

#include "pages/property_page.h"

namespace horalux {

class ActivityLed;
class SignalQualityGraph;

// The "GPS Signal Quality" tab: the receiver's UTC time beside the PC's local time, whether GPS
// time is locked, whether a clock update runs, a bar per satellite with its signal quality and a
// light that flickers while sentences arrive. "Update PC Clock Now" starts an update the way the
// tray's command does; "Reset Signal Quality" forgets the graph's extremes. Everything refreshes
// from the page's 50 ms timer, which keeps running while the tab is hidden: each tick compares
// the record's counters and the clocks' seconds with the values it saw last and acts on a change.
// A receiver that reports more than GPS gets a bar for each satellite of the sky view (up to
// 32), repainted whenever the view changes.
class CHoraluxPropertyPage1 final : public PropertyPage {
    Q_OBJECT
  public:
    CHoraluxPropertyPage1(const PageServices& services, BubbleTip& tip);

    SignalQualityGraph* graph() const { return graph_; }
    ActivityLed* light() const { return light_; }

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    // Puts a text into a field when it differs from what the field shows (no repaint else).
    void Show(int id, const QString& text);

    SignalQualityGraph* graph_ = nullptr;
    ActivityLed* light_ = nullptr;
    int32_t lastSentenceCount_ = 0;
    int32_t lastGsvCount_ = 0;
    uint64_t lastSkyRevision_ = 0;
    int32_t lastGpsSecond_ = 0;
    uint16_t lastLocalSecond_ = 0;
};

}  // namespace horalux
