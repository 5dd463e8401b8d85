#pragma once

#include "pages/property_page.h"

namespace horalux {

class SkyPlot;
class SkyPlotLegend;

// The "Position" tab: the receiver's latitude, longitude and altitude in the stored formats and
// units, and the satellites in view on the sky plot. Once a second (the page's 1000 ms timer,
// which keeps running while the tab is hidden) it formats the position afresh, copies the
// satellites into the plot's slots and lets the plot redraw those that changed. A receiver that
// reports more than GPS gets every constellation of the sky view on the plot (up to 40) and a
// legend of the systems present under the position.
class CHoraluxPropertyPage3 final : public PropertyPage {
    Q_OBJECT
  public:
    CHoraluxPropertyPage3(const PageServices& services, BubbleTip& tip);

    SkyPlot* skyPlot() const { return skyPlot_; }
    SkyPlotLegend* legend() const { return legend_; }

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;

  private:
    SkyPlot* skyPlot_ = nullptr;
    SkyPlotLegend* legend_ = nullptr;
};

}  // namespace horalux
