#pragma once

#include <QWidget>
#include <vector>

#include "displays/correction_plot_state.h"
#include "displays/display_accessibility.h"

namespace horalux {

// The corrections of the clock updates over the last 24 hours or 30 days: a stem from the zero
// line to each correction that was set, a short red mark under the plot for each update that
// left the clock alone, a scale on the left and the hours or days before now underneath. The
// decisions are CorrectionPlotState's; the widget repaints only when they say the picture changed.
class CorrectionPlot final : public QWidget, public DescribedDisplay {
    Q_OBJECT
  public:
    explicit CorrectionPlot(QWidget* parent = nullptr);

    // The updates (oldest first) and the time; repaints when the picture changes.
    void SetContents(std::vector<CorrectionPoint> points, int64_t nowMs);
    void SetRange(CorrectionRange range);

    const CorrectionPlotState& state() const { return state_; }
    // Paints done so far (for tests and the paint bench).
    int paintCount() const { return paints_; }

    QString AccessibleSummary() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Changed();

    CorrectionPlotState state_;
    int paints_ = 0;
};

}  // namespace horalux
