#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QSocketNotifier>
#include <QTimerEvent>
#include <cstdio>
#include <cstdlib>

#include "app/update_log.h"
#include "clock/clock_window.h"
#include "resources/horalux_resources.h"
#include "sync/chrony_feed.h"
#include "ui/help_manual.h"

namespace horalux {

namespace {

// HORALUX_TRACE=1 prints what a person would see change (the tray icon, the menu opening and
// closing, the GPS lock) as lines on stderr, so that tests driving the real program can follow it
// from outside.
bool TraceEnabled() {
    const char* value = std::getenv("HORALUX_TRACE");
    return value != nullptr && value[0] == '1';
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

const char* const CMainFrame::kNoTrayMessage =
    "Horalux found no notification area (system tray) on this desktop to show its icon in.\n\n"
    "It goes on keeping the clock all the same. The desktop clock stays on the screen: "
    "right-click it for the properties and for Exit. Starting Horalux again also opens its "
    "properties.\n\n"
    "On GNOME, the package gnome-shell-extension-appindicator adds a notification area.";

CMainFrame::CMainFrame(const MainFrameServices& services,
                       PropertiesWindowHolder::PageFactory addPages, QWidget* parent)
    : QWidget(parent),
      services_(services),
      properties_(services.store, std::move(addPages), this),
      heartbeat_(services.clock, services.runtime, services.gps, services.flags, services.reader,
                 services.starter, services.messages),
      trace_(TraceEnabled()) {
    setWindowTitle(QStringLiteral("Horalux-Kestrimund"));
    setWindowIcon(TrayPicture(kIconGps));

    CreateMenu();
    CreateTrayIcon();

    clock_ = std::make_unique<ClockWindow>(services_.store, services_.runtime, services_.clock,
                                           *this, this);
    if (services_.port != nullptr) {
        // Reopened elsewhere ("Apply Comm Settings", a change of reference) or closed: the watch
        // follows before the event loop waits again.
        services_.port->setChangeListener([this] { FollowPort(); });
        speedSearch_ = std::make_unique<ReceiverSpeedSearch>(
            *services_.port, services_.reader, services_.store, [this](int baud) {
                if (trace_) {
                    std::fprintf(stderr, "horalux: receiver speed %d found\n", baud);
                }
            });
    }

    heartbeatTimer_.start(kHeartbeatMs, this);
    trayTimer_.start(kTrayMs, this);
    secondTimer_.start(kSecondMs, this);
    sinceStart_.start();
    trayAbsenceTimer_.start(TrayAbsence::kCheckPeriodMs, this);
}

CMainFrame::~CMainFrame() {
    if (services_.port != nullptr) {
        services_.port->setChangeListener({});
    }
    heartbeatTimer_.stop();
    trayTimer_.stop();
    secondTimer_.stop();
    tray_.hide();
}

QIcon CMainFrame::TrayPicture(int icon) {
    return resourceIcon(icon);
}

void CMainFrame::CreateMenu() {
    menu_ = std::make_unique<QMenu>();
    for (const TrayMenuEntry& entry : kTrayMenu) {
        if (entry.command == 0) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(QString::fromUtf8(entry.text));
        action->setData(entry.command);
        if (entry.command == command::kShowClock) {
            action->setCheckable(true);
        }
        const int id = entry.command;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    connect(menu_.get(), &QMenu::aboutToShow, this, [this] {
        UpdateMenuState();
        if (trace_) {
            const TrayMenuState state = CurrentMenuState();
            std::fprintf(stderr, "horalux: menu shown set-clock-now=%s show-clock=%s\n",
                         state.setClockNowEnabled ? "enabled" : "disabled",
                         state.showClockChecked ? "checked" : "unchecked");
        }
    });
    connect(menu_.get(), &QMenu::aboutToHide, this, [this] {
        if (trace_) {
            std::fprintf(stderr, "horalux: menu hidden\n");
        }
    });
}

void CMainFrame::CreateTrayIcon() {
    tray_.setIcon(TrayPicture(kIconGps));
    tray_.setToolTip(QStringLiteral("Horalux"));
    tray_.setContextMenu(menu_.get());
    connect(&tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    OpenProperties();
                }
            });
    tray_.show();
    if (trace_) {
        std::fprintf(stderr, "horalux: tray created icon=%d tip=\"Horalux\"\n", kIconGps);
    }
}

TrayMenuState CMainFrame::CurrentMenuState() const {
    return TrayMenuStateFor(services_.flags.timeLocked.load(),
                            clock_ != nullptr && clock_->isVisible());
}

void CMainFrame::UpdateMenuState() {
    const TrayMenuState state = CurrentMenuState();
    for (QAction* action : menu_->actions()) {
        const int id = action->data().toInt();
        if (id == command::kSetClockNow) {
            action->setEnabled(state.setClockNowEnabled);
        } else if (id == command::kShowClock) {
            action->setChecked(state.showClockChecked);
        }
    }
}

void CMainFrame::OnCommand(int command) {
    switch (command) {
        case command::kProperties:
            OpenProperties();
            break;
        case command::kSetClockNow:
            SetPcClockNow();
            break;
        case command::kShowClock:
            ShowClock();
            break;
        case command::kResetClockPosition:
            ResetClockPosition();
            break;
        case command::kHelpIndex:
            ShowHelpIndex();
            break;
        case command::kExit:
            close();
            break;
        default:
            break;
    }
}

void CMainFrame::OnMessage(int message) {
    if (message == command::kOpenPropertiesMessage) {
        OpenProperties();
    }
}

void CMainFrame::OpenProperties() {
    // Made once, centred on the screen; later requests show the same window again.
    properties_.open();
}

void CMainFrame::ShowClock() {
    if (clock_) {
        clock_->ShowClock();
    }
}

void CMainFrame::ResetClockPosition() {
    if (clock_) {
        clock_->ResetClockPosition();
    }
}

void CMainFrame::SetPcClockNow() {
    services_.starter.Start();
}

void CMainFrame::ShowHelpIndex() {
    services_.help.showIndex();
}

void CMainFrame::OnHeartbeatTimer() {
    const Heartbeat::TickResult tick = heartbeat_.Tick();
    FeedChronyd();
    if (speedSearch_ && services_.runtime.useNetworkTime.load() != 1 &&
        services_.gps.portHandle == services_.port) {
        speedSearch_->Tick(sinceStart_.elapsed());
    }
    FollowPort();
    const int32_t locked = services_.flags.timeLocked.load();
    if (trace_ && locked != tracedLock_) {
        tracedLock_ = locked;
        std::fprintf(stderr, "horalux: timeLocked=%d\n", locked);
    }
    if (tick.newSecond && clock_) {
        clock_->updateDateTip();
    }
}

void CMainFrame::OnPortReadable() {
    // As on the heartbeat, the port is read in GPS mode only (the watch ends at a switch to the
    // network, after this).
    if (services_.runtime.useNetworkTime.load() != 1) {
        services_.reader.Poll();
        FeedChronyd();
    }
    FollowPort();
}

void CMainFrame::FeedChronyd() {
    if (services_.feed == nullptr) {
        return;
    }
    const std::optional<RefclockSample> sample =
        services_.feed->OnPortRead(systemUnixNanos(), steadyNanos());
    if (sample && trace_) {
        std::fprintf(stderr, "horalux: fed chronyd reference=%.3f receive=%.6f\n",
                     static_cast<double>(sample->referenceNs) / 1e9,
                     static_cast<double>(sample->receiveNs) / 1e9);
    }
}

void CMainFrame::FollowPort() {
    const PortWatch::Change change =
        portWatch_.Follow(PortWatchTargetFor(services_.port, services_.gps, services_.runtime));
    if (change == PortWatch::Change::None) {
        return;
    }
    if (portNotifier_ != nullptr) {
        // Possibly inside its own activation: off at once, deleted once back in the event loop.
        portNotifier_->setEnabled(false);
        portNotifier_->deleteLater();
        portNotifier_ = nullptr;
    }
    if (change == PortWatch::Change::Replace) {
        portNotifier_ = new QSocketNotifier(portWatch_.handle(), QSocketNotifier::Read, this);
        connect(portNotifier_, &QSocketNotifier::activated, this, [this] { OnPortReadable(); });
    }
}

bool CMainFrame::offersExit() const {
    return trayAbsence_.noticed() && !QSystemTrayIcon::isSystemTrayAvailable();
}

void CMainFrame::OnTrayAbsenceCheck(bool trayAvailable, int64_t elapsedMs) {
    const bool notify = trayAbsence_.Check(trayAvailable, elapsedMs);
    if (trayAbsence_.decided()) {
        trayAbsenceTimer_.stop();
    }
    if (!notify) {
        return;
    }
    std::fprintf(stderr,
                 "horalux: no system tray on this desktop; the desktop clock stays shown\n");
    // Shown without storing "DigitalClockEnabled": on a desktop with a tray it stays hidden.
    if (clock_) {
        clock_->show();
        clock_->raise();
    }
    services_.messages.messageBox(kNoTrayMessage, "Horalux", kIconInformation);
}

std::string CMainFrame::LastUpdateTip() {
    if (services_.updates != nullptr && services_.updates->revision() != tipRevision_) {
        tipRevision_ = services_.updates->revision();
        const auto& updates = services_.updates->updates();
        lastUpdateTip_ = updates.empty() ? std::string() : OutcomeTip(updates.back());
    }
    return lastUpdateTip_;
}

void CMainFrame::OnTrayTimer() {
    const std::string lastUpdate = LastUpdateTip();
    const std::optional<TrayState> next = trayState_.Next(
        services_.runtime.useNetworkTime.load(), services_.flags.networkFailed.load(),
        services_.flags.syncBusy.load(), lastUpdate);
    if (next) {
        SetTrayState(*next, lastUpdate);
    }
}

void CMainFrame::SetTrayState(const TrayState& state, const std::string& lastUpdate) {
    const std::string tip = TrayTipText(state, lastUpdate);
    tray_.setIcon(TrayPicture(state.icon));
    tray_.setToolTip(QString::fromStdString(tip));
    if (trace_) {
        std::fprintf(stderr, "horalux: tray icon=%d tip=\"%s\"\n", state.icon,
                     Escaped(tip).c_str());
    }
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == heartbeatTimer_.timerId()) {
        OnHeartbeatTimer();
    } else if (event->timerId() == trayTimer_.timerId()) {
        OnTrayTimer();
    } else if (event->timerId() == trayAbsenceTimer_.timerId()) {
        OnTrayAbsenceCheck(QSystemTrayIcon::isSystemTrayAvailable(), sinceStart_.elapsed());
    } else if (event->timerId() != secondTimer_.timerId()) {
        QWidget::timerEvent(event);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (clock_) {
        clock_->EndRun();
    }
    event->accept();
    Q_EMIT closed();
}

}  // namespace horalux
