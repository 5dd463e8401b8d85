#pragma once

#include "pages/property_page.h"

namespace horalux {

class SkyPlot;

// The "Position" tab: the receiver's latitude, longitude and altitude in the stored formats and
// units, and the satellites in view on the sky plot. Once a second (the page's 1000 ms timer,
// which keeps running while the tab is hidden) it formats the position afresh, copies the
// satellites into the plot's slots and lets the plot redraw those that changed.
class CHoraluxPropertyPage3 final : public PropertyPage {
    Q_OBJECT
  public:
    CHoraluxPropertyPage3(const PageServices& services, BubbleTip& tip);

    SkyPlot* skyPlot() const { return skyPlot_; }

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    SkyPlot* skyPlot_ = nullptr;
};

}  // namespace horalux
