#pragma once

#include <memory>
#include <optional>
#include <thread>

#include "app/chrony_watch.h"
#include "app/desktop_integration.h"
#include "app/main_frame.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/update_log.h"
#include "app/update_starter.h"
#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "gps/sky_view.h"
#include "platform/autostart_entry.h"
#include "platform/clock_helper.h"
#include "platform/desktop_url_opener.h"
#include "platform/process_table_source.h"
#include "platform/qsettings_store.h"
#include "platform/qt_message_service.h"
#include "platform/qt_serial_device_list.h"
#include "platform/system_clock.h"
#include "platform/time_capability.h"
#include "platform/timedated_source.h"
#include "sync/clock_setter.h"
#include "sync/nts_session.h"
#include "sync/sync_flags.h"
#include "sync/sync_worker.h"
#include "ui/help_manual.h"

namespace horalux {

// The application: owns the program's one instance of every shared object (GPS record, runtime
// settings, flags, serial port, reader, worker, clock, store) and the hidden main frame, and runs
// start-up. Declared in the order they depend on each other, so they go in the reverse order: the
// frame and its timers first, then the worker (which waits for a running update), then the port.
class CHoraluxApp final : public StartupHost {
  public:
    CHoraluxApp();
    ~CHoraluxApp() override;
    CHoraluxApp(const CHoraluxApp&) = delete;
    CHoraluxApp& operator=(const CHoraluxApp&) = delete;

    // Start-up; the program's message loop runs only when this says Running.
    StartupResult InitInstance();

    CMainFrame* mainFrame() { return frame_.get(); }
    // The start at log-in, the clock privilege and other time services, for the System
    // Configuration page.
    DesktopIntegration& desktopIntegration() { return integration_; }

    // StartupHost
    bool ClaimSingleInstance() override;
    SettingsStore& OpenSettings() override;
    std::optional<int> AskFirstRunChoice(int preset) override;
    bool CreateMainFrame() override;
    void OpenSerialPort(const SettingsStore& store) override;
    void RefreshStartAtLogIn() override;
    void EnableStartAtLogIn() override;

  private:
    std::unique_ptr<SystemClock> clock_;
    ClockPath clockPath_;
    std::unique_ptr<TimeCapability> capability_;
    std::unique_ptr<ClockHelper> helper_;
    ClockSetter setter_;
    QtMessageService messages_;
    DesktopUrlOpener urls_;
    QtSerialDeviceList serialDevices_;
    HelpManual help_;
    AutostartEntry autostart_;
    ProcessTableSource processTable_;
    TimedatedSource timedated_;
    DesktopIntegration integration_;
    RuntimeSettings runtime_;
    GpsState gps_;
    SkyView sky_;  // every constellation's satellites, beside the record
    SyncFlags flags_;
    NtsSessions nts_;  // NTS keys and cookies, kept in memory for the program's life
    SingleInstance instance_;
    std::unique_ptr<QSettingsStore> store_;
    SerialPort serial_;
    NmeaParser parser_;
    NmeaReader reader_;
    std::unique_ptr<ChronyFeed> feed_;     // GPS time for chronyd
    std::unique_ptr<ChronyWatch> chrony_;  // chronyd's state, for the System Configuration page
    // The record of clock updates; the worker's outcomes reach it on the user-interface thread
    // through outcomeSink_, which outlives the worker.
    std::unique_ptr<UpdateLog> updates_;
    QObject outcomeSink_;
    std::unique_ptr<SyncWorker> worker_;
    std::unique_ptr<UpdateStarter> starter_;
    std::unique_ptr<CMainFrame> frame_;
    std::jthread helperLook_;  // the look for the clock helper at start, joined first
};

}  // namespace horalux
