#include "app/startup.h"

#include "app/settings_keys.h"
#include "app/time_server_list.h"

namespace horalux {

namespace {

// The first-run choice, preset from "UseNetworkTime"; on OK the answer is stored, the program is
// set to start at log-in and the dialog is not offered again. Any other end writes nothing, so the
// dialog comes back at the next start.
void OfferFirstRunChoice(StartupHost& host, SettingsStore& store, RuntimeSettings& runtime) {
    if (store.read(keys::FirstTimeConfig) != 1) {
        return;
    }
    const int preset = runtime.useNetworkTime.load() == 1 ? 1 : 0;
    const std::optional<int> choice = host.AskFirstRunChoice(preset);
    if (!choice) {
        return;
    }
    const int32_t useNetwork = *choice == 1 ? 1 : 0;
    runtime.useNetworkTime = useNetwork;
    store.write(keys::UseNetworkTime, useNetwork);
    store.write(keys::FirstTimeConfig, 0);
    host.EnableStartAtLogIn();
}

}  // namespace

StartupResult RunStartup(StartupHost& host, RuntimeSettings& runtime, GpsState& gps) {
    if (!host.ClaimSingleInstance()) {
        return StartupResult::AnotherCopyRuns;
    }
    SettingsStore& store = host.OpenSettings();
    host.RefreshStartAtLogIn();

    runtime.load(store);
    gps.timeSource = static_cast<int16_t>(store.read(keys::UseTimrFrom));

    runtime.setCurrentServer(TimeServerList(store).chooseServer());

    OfferFirstRunChoice(host, store, runtime);

    if (!host.CreateMainFrame()) {
        return StartupResult::FrameFailed;
    }
    if (runtime.useNetworkTime.load() != 1) {
        host.OpenSerialPort(store);
    }
    return StartupResult::Running;
}

}  // namespace horalux
