#pragma once

#include <optional>

#include "app/runtime_settings.h"
#include "gps/gps_state.h"
#include "platform/settings_store.h"

namespace horalux {

// The steps of start-up that reach the outside world. The application implements them with Qt
// and the platform; tests record them.
class StartupHost {
  public:
    virtual ~StartupHost() = default;

    // Makes this the one running copy for the user's desktop. False when another copy runs; it
    // has then been asked to open its properties window.
    virtual bool ClaimSingleInstance() = 0;
    // The settings store, opened for the rest of the run.
    virtual SettingsStore& OpenSettings() = 0;
    // Shows the first-run dialog with the choice preset (0 GPS, 1 network time server): the
    // choice when the user confirms with OK, nothing when the dialog ends any other way.
    virtual std::optional<int> AskFirstRunChoice(int preset) = 0;
    // Brings the user's autostart entry up to date: one that names a program no longer there
    // (the program moved) is rewritten to name this one.
    virtual void RefreshStartAtLogIn() = 0;
    // The first-run dialog was confirmed: the program starts when the user logs in from now on.
    virtual void EnableStartAtLogIn() = 0;
    // Creates the hidden main frame (tray icon, desktop clock, timers); false when it failed.
    virtual bool CreateMainFrame() = 0;
    // Opens the receiver's serial port as the store names it and hands it to the GPS record,
    // whether or not it opened (a port that is absent now is looked for again later).
    virtual void OpenSerialPort(const SettingsStore& store) = 0;
};

enum class StartupResult {
    Running,          // the program runs until "&Exit"
    AnotherCopyRuns,  // this copy ends at once, having created and written nothing
    FrameFailed,      // the main frame could not be created
};

// Start-up in its order: single instance, settings store, the autostart entry kept up to date,
// the process-wide settings and the GPS time source, the current server (which writes the
// default server list on an empty store), the first-run choice while "FirstTimeConfig" is 1 (OK
// also turns on the start at log-in), the main frame, and the serial port when GPS is the
// reference. Windows-style socket start-up has no counterpart here: sockets need none.
StartupResult RunStartup(StartupHost& host, RuntimeSettings& runtime, GpsState& gps);

}  // namespace horalux
