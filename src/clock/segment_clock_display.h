#pragma once

#include <QBasicTimer>
#include <QWidget>

#include "clock/segment_clock_state.h"
#include "displays/display_accessibility.h"
#include "platform/system_clock.h"

namespace horalux {

// The seven-segment time display: polls the clock on its timer and repaints when the shown
// second changes. Its host sets the fields of state() (colours, thickness, flags) directly.
//
// The widget is opaque, so Qt does not clear it before a paint. A repaint the display asks for
// itself without erasing (a new second, a colour or 12/24-hour change) draws every segment over
// what is there. Every other paint erases first, filling the background and drawing the sunken
// edge: an invalidation with erasing (a layout change), showing, resizing, restyling, and any
// paint the display did not ask for (an exposure, a parent's repaint, a grab into a pixmap).
// Where the window system does not keep what a repaint leaves out (Wayland's own), every paint
// erases.
//
// A screen reader reads the time the display shows as its name ("14:02:11 UTC day 342", see
// AccessibleTimeText): taken each time the display asks for a repaint, and announced as a name
// change when it differs from the last one, so it follows the digits second by second and costs
// no paint of its own.
class SegmentClockDisplay : public QWidget, public DescribedDisplay {
    Q_OBJECT

  public:
    explicit SegmentClockDisplay(const SystemClock& clock, QWidget* parent = nullptr);

    SegmentClockState& state() { return state_; }
    const SegmentClockState& state() const { return state_; }

    // on == 1 starts the timer with the period; anything else stops it.
    void EnableTimer(int32_t on, int periodMs);
    bool timerActive() const { return timer_.isActive(); }

    // Schedules a repaint of the whole display; `erase` clears it to the background first.
    void invalidate(bool erase);

    // One timer tick: reads the time and, when the second changed, schedules a repaint
    // without erasing. Returns whether it did.
    bool tick();

    // What the digits show, in words.
    QString AccessibleSummary() const override;

  Q_SIGNALS:
    // The time shown, in words, changed (what a listening screen reader is told).
    void spokenTextChanged(const QString& text);

  public:
  protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void eraseBackground(QPainter& painter);
    // Takes what the next paint shows as the spoken text; tells a listening screen reader when
    // that changed.
    void takeShownTime();

    const SystemClock& clock_;
    SegmentClockState state_;
    SegmentClockState shown_;  // the state as the last repaint asked for showed it
    QString spoken_;           // the text a screen reader was last told
    QBasicTimer timer_;
    bool erasePending_ = true;   // the next paint erases
    bool quietRepaint_ = false;  // a repaint without erasing is what the next paint is for
    bool quietRepaints_;         // the window system keeps what a repaint leaves out
};

}  // namespace horalux
