#pragma once

#include <QBasicTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/runtime_settings.h"
#include "clock/clock_colors.h"
#include "clock/clock_trace.h"
#include "clock/clock_window_host.h"
#include "clock/clock_window_logic.h"
#include "clock/segment_clock_state.h"
#include "platform/settings_store.h"
#include "platform/system_clock.h"

class QMenu;

namespace horalux {

class SegmentClockDisplay;

// The floating desktop clock: a frameless tool window (no taskbar entry) titled "Clock" whose
// client area is one seven-segment display. A 4-pixel sizing border inside its outer rectangle
// resizes it (through the window manager when it offers that, else by itself); a left drag
// anywhere else moves it; a double-click sets the PC clock; the context menu holds its
// settings. Every decision is ClockWindowLogic's; this class forwards events to it.
//
// Construction is the window's creation: it takes the stored position, z-order, colours and
// flags, starts its timers and shows itself when "DigitalClockEnabled" is 1.
class ClockWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kDisplayPeriodMs = 50;
    static constexpr int kColorPeriodMs = 100;

    // Opens the custom colour dialog with the current pair; the new pair on OK.
    using CustomColorChooser = std::function<std::optional<ClockColors>(const ClockColors&)>;

    // `owner` (the main frame, may be null) owns the window and the custom colour dialog.
    ClockWindow(SettingsStore& store, RuntimeSettings& runtime, const SystemClock& clock,
                ClockWindowHost& host, QWidget* owner = nullptr);
    ~ClockWindow() override;

    // Show Clock: show, bring forward, "DigitalClockEnabled" 1.
    void ShowClock();
    // Reset Clock Position: to (0, 0) with size 300 x 100, then ShowClock.
    void ResetClockPosition();
    // The place the user gave the clock into "DigitalClockPosition" (ClockWindowLogic says
    // when there is one).
    void SaveClockPosition();
    // The program ends: the position saved, and the window's closing from now on is no "Hide".
    void EndRun();

    int32_t dragging() const { return logic_.dragging(); }
    int32_t localTimeFlag() const { return displayState().localTime; }
    int32_t twentyFourHourFlag() const { return displayState().twentyFourHour; }

    // The date tip's text for now, by the display's flags; set as the tooltip unless a drag is
    // under way. The main frame calls it on each new second.
    void updateDateTip();

    // Runs a menu command (ids in app/command_ids.h).
    void runCommand(int32_t command);
    // The context menu as it opens now, check marks set; each action's data is its command. It
    // ends with "&Exit" while the host offers it (no tray icon does).
    std::unique_ptr<QMenu> buildMenu();
    // Where a context menu opened from the keyboard goes, in screen coordinates.
    QPoint keyboardMenuPosition() const;

    // The client area (inside the sizing border), in window coordinates.
    QRect clientRect() const;

    SegmentClockDisplay& display() { return *display_; }
    ClockWindowLogic& logic() { return logic_; }
    void setCustomColorChooser(CustomColorChooser chooser) { chooser_ = std::move(chooser); }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    const SegmentClockState& displayState() const;
    void setTopmost(bool topmost);
    // The thickness for the client width now; traced with the client size when either changes.
    void applyThickness();
    void updateCursor(QPoint point);
    std::optional<ClockColors> chooseCustomColors(const ClockColors& initial);
    // Where the window system has put the window (none where it does not tell).
    std::optional<PixelRect> windowSystemPlace();
    // The user moved or resized the window: its place, as the window system tells it, is
    // the user's.
    void userPlaced();
    // The size held fixed where ClockWindowLogic::HoldsSize says so, or let go for a resize.
    void holdSize();
    void releaseSize();

    RuntimeSettings& runtime_;
    const SystemClock& clock_;
    ClockWindowHost& host_;
    SegmentClockDisplay* display_;
    ClockWindowLogic logic_;
    QBasicTimer colorTimer_;
    CustomColorChooser chooser_;
    ClockTrace trace_;
    std::string tracedThickness_;
    // The window system moves or resizes the window for the user (a drag or a press on the
    // border handed to it, or the last moves of a drag of ours it is catching up with): the
    // places it gives the window until the mouse moves over it again without a button, or the
    // next press, are the user's.
    bool systemPlacing_ = false;
};

}  // namespace horalux
