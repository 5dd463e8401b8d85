#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <memory>

#include "app/heartbeat.h"
#include "app/port_watch.h"
#include "app/receiver_speed_search.h"
#include "app/tray_absence.h"
#include "app/tray_menu.h"
#include "app/tray_state.h"
#include "app/update_starter.h"
#include "clock/clock_window_host.h"
#include "ui/properties_window_holder.h"

class QMenu;
class QSocketNotifier;

namespace horalux {

class ClockWindow;
class ChronyFeed;
class HelpManual;
class SettingsStore;
class UpdateLog;

// What the main frame works with: the program's one instance of each.
struct MainFrameServices {
    SettingsStore& store;
    RuntimeSettings& runtime;
    GpsState& gps;
    SyncFlags& flags;
    const SystemClock& clock;
    NmeaReader& reader;
    UpdateStarter& starter;
    MessageService& messages;
    HelpManual& help;
    // The receiver's port: read as soon as bytes arrive, not only on the heartbeat (none: the
    // heartbeat alone reads whatever GpsState.portHandle names).
    SerialPort* port = nullptr;
    // The record of clock updates: the tray's tip ends with the last one (none: it does not).
    const UpdateLog* updates = nullptr;
    // GPS time for chronyd, offered after every read of the port (none: nothing is fed).
    ChronyFeed* feed = nullptr;
};

// The program's hidden main window. It owns the tray icon with its menu, the desktop clock and
// the properties window, and runs the heartbeat:
// - timer 1, every 50 ms: Heartbeat::Tick (receiver, lock, periodic update), the search for the
//   receiver's speed when its bytes make no sentences (ReceiverSpeedSearch), then the desktop
//   clock's date tip on each new second;
// - the receiver's port, watched in GPS mode: whatever arrives is read at once (NmeaReader::Poll),
//   so that a new GPS second reaches the clock setter within a millisecond rather than on the next
//   tick; the lock and the rest stay on timer 1. Right after each read, GPS time goes to chronyd
//   when the feed is on (ChronyFeed), stamped with its sentence's arrival. After every read the
//   watch follows the port, which a hang-up closes and a reopen brings back, and so it does
//   whenever the port is opened or closed;
// - timer 3, every 200 ms: the tray icon and tip follow the reference and the worker's flags, and
//   the tip's last line the outcome of the last clock update;
// - timer 4, every 1000 ms: kept for its period, not acted on.
// Where the desktop offers no tray (GNOME without an extension), the user is told so once, after
// a grace period for a panel that starts later than the program; the desktop clock then stays on
// the screen and its menu ends with "&Exit", so the properties and the exit remain in reach.
// It is never shown. Closing it ("&Exit") ends the program, storing no more than the place the
// user gave the clock (ClockWindowLogic); destroying it removes the tray icon.
class CMainFrame : public QWidget, public ClockWindowHost {
    Q_OBJECT

  public:
    static constexpr int kHeartbeatMs = 50;
    static constexpr int kTrayMs = 200;
    static constexpr int kSecondMs = 1000;

    // `addPages` fills the properties window's sheet when the window is first opened.
    CMainFrame(const MainFrameServices& services, PropertiesWindowHolder::PageFactory addPages = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Runs one command of the tray menu (identifiers in app/command_ids.h).
    void OnCommand(int command);
    // A message from a later copy of the program: 1025 opens the properties window.
    void OnMessage(int message);

    // Creates the properties window on the first call; shows it and brings it forward.
    void OpenProperties();
    void ShowClock();
    void ResetClockPosition();
    void SetPcClockNow();
    void ShowHelpIndex();

    // ClockWindowHost: the desktop clock's own menu.
    void setPcClockNow() override { SetPcClockNow(); }
    void openProperties() override { OpenProperties(); }
    void showHelp() override { ShowHelpIndex(); }
    bool offersExit() const override;
    void exitProgram() override { close(); }

    // The timers' work, callable directly by tests.
    void OnHeartbeatTimer();
    void OnTrayTimer();
    // Bytes (or a hang-up) on the receiver's port.
    void OnPortReadable();
    // One look for the tray, `elapsedMs` after start (every TrayAbsence::kCheckPeriodMs until it
    // is decided): tells the user once when there is none and keeps the desktop clock shown.
    void OnTrayAbsenceCheck(bool trayAvailable, int64_t elapsedMs);
    bool trayAbsenceNoticed() const { return trayAbsence_.noticed(); }

    // The text of the message shown where the desktop has no tray.
    static const char* const kNoTrayMessage;

    // The descriptor of the receiver's port being watched, -1 when none.
    int watchedPortHandle() const { return portWatch_.handle(); }

    // Enables and checks the menu's entries as they must look now (done before it opens).
    void UpdateMenuState();
    TrayMenuState CurrentMenuState() const;

    QSystemTrayIcon& trayIcon() { return tray_; }
    QMenu& trayMenu() { return *menu_; }
    ClockWindow* clockWindow() { return clock_.get(); }
    CHoraluxPropertyFrame* propertiesWindow() { return properties_.frame(); }
    int currentTrayIcon() const { return trayState_.currentIcon(); }

    // The picture of a tray icon by its resource number.
    static QIcon TrayPicture(int icon);

  Q_SIGNALS:
    // The frame has closed: the program ends.
    void closed();

  protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateTrayIcon();
    void CreateMenu();
    void SetTrayState(const TrayState& state, const std::string& lastUpdate);
    // The last update's outcome in a few words, empty before the first.
    std::string LastUpdateTip();
    // Brings the watch on the receiver's port in step with the port; after every read of it.
    void FollowPort();
    // Hands chronyd the time sentence that a read has just brought, if any.
    void FeedChronyd();

    MainFrameServices services_;

    std::unique_ptr<QMenu> menu_;  // the tray icon's menu; outlives the icon
    QSystemTrayIcon tray_;
    TrayStateTracker trayState_;
    uint64_t tipRevision_ = 0;  // of the record, when lastUpdateTip_ was made
    std::string lastUpdateTip_;
    std::unique_ptr<ClockWindow> clock_;
    PropertiesWindowHolder properties_;  // the window is made on the first request
    Heartbeat heartbeat_;
    bool trace_ = false;
    int32_t tracedLock_ = -1;

    PortWatch portWatch_;
    QSocketNotifier* portNotifier_ = nullptr;           // a child, on portWatch_.handle()
    std::unique_ptr<ReceiverSpeedSearch> speedSearch_;  // with a port only

    QBasicTimer heartbeatTimer_;  // timer 1
    QBasicTimer trayTimer_;       // timer 3
    QBasicTimer secondTimer_;     // timer 4

    TrayAbsence trayAbsence_;
    QElapsedTimer sinceStart_;
    QBasicTimer trayAbsenceTimer_;
};

}  // namespace horalux
