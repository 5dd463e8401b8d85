#pragma once

#include <QWidget>

#include "displays/centred_text.h"
#include "displays/display_accessibility.h"
#include "displays/signal_quality_state.h"

namespace horalux {

// The bar graph of each satellite's signal-to-noise ratio: one bar per satellite in a sunken
// frame, scaled between the lowest and highest SNR seen since the last reset, the SNR written
// inside the bar and the PRN under it, in the highlight colour when the satellite is used in
// the solution. Its host writes state().bars and the count (SetBarCount), then calls
// invalidate(): without erasing when the count stayed, with erasing when it changed.
//
// The widget is opaque. A paint it asked for without erasing draws the bars over what is there;
// every other paint (erasing, showing, exposure, a grab) fills the background first.
class SignalQualityGraph final : public QWidget, public DescribedDisplay {
    Q_OBJECT
  public:
    explicit SignalQualityGraph(QWidget* parent = nullptr);

    SignalQualityState& state() { return state_; }
    const SignalQualityState& state() const { return state_; }

    // Schedules a repaint of the bars; `erase` fills the background first.
    void invalidate(bool erase);
    // "Reset Signal Quality": forgets the extremes and repaints with erasing.
    void ResetExtremes();

    // "Signal quality: 12 bars: 5 45 dB used; ...".
    QString AccessibleSummary() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    SignalQualityState state_;
    bool erasePending_ = true;
    bool quietRepaint_ = false;
    CentredText values_;  // the SNRs, in the value font
    CentredText prns_;    // the labels under the bars
};

}  // namespace horalux
