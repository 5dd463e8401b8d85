#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QWidget>

#include "displays/activity_led_state.h"

namespace horalux {

// The receive-activity light: one 16 x 16 cell of the LED sheet (bitmap 135), drawn over
// whatever lies beneath it with the sheet's magenta as the see-through colour. Its owner picks
// the cell (SetLed) and flashes it; the light dims itself when the flash's time is up.
//
// With HORALUX_TRACE=1 it reports "horalux: rx lit" and "horalux: rx dim" on stderr as it
// changes, so that tests of the real program can follow it.
class ActivityLed final : public QWidget {
    Q_OBJECT
  public:
    explicit ActivityLed(QWidget* parent = nullptr);

    // Shows the cell (at the paint that ends this turn of the event loop, together with whatever
    // else changed in it).
    void SetLed(int32_t colorOffset, int32_t ledState, int32_t shapeOffset);
    // Lights it for `durationMs`, counted again from each call.
    void Flash(int durationMs);

    const ActivityLedState& state() const { return state_; }
    bool timerRunning() const { return timer_.isActive(); }
    // Runs a tick of timer `id` as the window system would.
    void FireTimer(int id);

    // The LED sheet with magenta made transparent.
    static QImage Sheet();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void Apply(ActivityLedState::TimerCommand command);
    void Trace(bool wasLit);

    ActivityLedState state_;
    QImage sheet_;
    QBasicTimer timer_;
    bool trace_ = false;
};

}  // namespace horalux
