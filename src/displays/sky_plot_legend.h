#pragma once

#include <QWidget>
#include <vector>

#include "displays/display_accessibility.h"
#include "displays/system_legend.h"

namespace horalux {

// The sky plot's legend: one line for each satellite system present, its letter in the colour
// of its labels on a chip of the plot's black, then "GPS 10, 5 used". Lines fill a column
// from the top, then the next column.
class SkyPlotLegend final : public QWidget, public DescribedDisplay {
    Q_OBJECT
  public:
    explicit SkyPlotLegend(QWidget* parent = nullptr);

    // The systems to list; repaints when they changed.
    void SetCounts(const std::vector<SystemCount>& counts);
    const std::vector<SystemLegendEntry>& entries() const { return entries_; }

    // "Satellite systems: GPS 10, 5 used; GLONASS 8, 7 used", or "No satellite systems".
    QString AccessibleSummary() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<SystemCount> counts_;
    std::vector<SystemLegendEntry> entries_;
};

}  // namespace horalux
