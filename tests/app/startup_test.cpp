#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "app/startup.h"
#include "app/time_server_list.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

// Records the start-up steps in order; the user's answer to the first-run dialog is scripted.
class RecordingHost final : public StartupHost {
  public:
    explicit RecordingHost(MemorySettingsStore& store, RuntimeSettings& runtime)
        : store_(store), runtime_(runtime) {}

    bool ClaimSingleInstance() override {
        steps.push_back("claim");
        return !anotherCopyRuns;
    }
    SettingsStore& OpenSettings() override {
        steps.push_back("settings");
        return store_;
    }
    std::optional<int> AskFirstRunChoice(int preset) override {
        steps.push_back("first-run:" + std::to_string(preset));
        serverAtDialog = runtime_.currentServer();
        return answer;
    }
    bool CreateMainFrame() override {
        steps.push_back("frame");
        return frameCreated;
    }
    void OpenSerialPort(const SettingsStore&) override { steps.push_back("port"); }
    void RefreshStartAtLogIn() override { steps.push_back("autostart"); }
    void EnableStartAtLogIn() override { steps.push_back("start-at-log-in"); }

    bool anotherCopyRuns = false;
    bool frameCreated = true;
    std::optional<int> answer;  // nothing: the user pressed Escape
    std::vector<std::string> steps;
    std::string serverAtDialog;

  private:
    MemorySettingsStore& store_;
    RuntimeSettings& runtime_;
};

using Steps = std::vector<std::string>;

struct StartupRig {
    MemorySettingsStore store;
    RuntimeSettings runtime;
    GpsState gps;
    RecordingHost host{store, runtime};

    StartupResult Run() { return RunStartup(host, runtime, gps); }
};

TEST(StartupTest, FirstStartOnAnEmptyStoreAsksWithGpsPresetAndStoresOk) {
    StartupRig rig;
    rig.host.answer = 0;
    EXPECT_EQ(rig.Run(), StartupResult::Running);
    EXPECT_EQ(rig.host.steps, (Steps{"claim", "settings", "autostart", "first-run:0",
                                     "start-at-log-in", "frame", "port"}));
    EXPECT_EQ(rig.store.read(keys::UseNetworkTime), 0);
    EXPECT_TRUE(rig.store.contains("Settings", "UseNetworkTime"));
    EXPECT_EQ(rig.store.read(keys::FirstTimeConfig), 0);
    // The current server is chosen before the dialog, writing the default list.
    EXPECT_EQ(rig.store.read(keys::NumberOfTimeServers), 5);
    EXPECT_FALSE(rig.host.serverAtDialog.empty());
    EXPECT_EQ(rig.runtime.currentServer(), rig.host.serverAtDialog);

    // The next start goes straight through.
    rig.host.steps.clear();
    EXPECT_EQ(rig.Run(), StartupResult::Running);
    EXPECT_EQ(rig.host.steps, (Steps{"claim", "settings", "autostart", "frame", "port"}));
}

TEST(StartupTest, ChoosingTheNetworkOpensNoSerialPort) {
    StartupRig rig;
    rig.host.answer = 1;
    EXPECT_EQ(rig.Run(), StartupResult::Running);
    EXPECT_EQ(rig.host.steps,
              (Steps{"claim", "settings", "autostart", "first-run:0", "start-at-log-in", "frame"}));
    EXPECT_EQ(rig.runtime.useNetworkTime, 1);
    EXPECT_EQ(rig.store.read(keys::UseNetworkTime), 1);
    EXPECT_EQ(rig.store.read(keys::FirstTimeConfig), 0);
}

TEST(StartupTest, EscapeWritesNothingAndTheDialogComesBackNextTime) {
    StartupRig rig;
    rig.host.answer = std::nullopt;
    EXPECT_EQ(rig.Run(), StartupResult::Running);
    EXPECT_FALSE(rig.store.contains("Settings", "UseNetworkTime"));
    EXPECT_FALSE(rig.store.contains("Settings", "FirstTimeConfig"));
    // GPS stays the reference, so the port is opened.
    EXPECT_EQ(rig.host.steps.back(), "port");

    rig.host.steps.clear();
    rig.Run();
    EXPECT_EQ(rig.host.steps,
              (Steps{"claim", "settings", "autostart", "first-run:0", "frame", "port"}));
}

TEST(StartupTest, TheDialogIsPresetToTheNetworkWhenItIsAlreadyTheReference) {
    StartupRig rig;
    rig.store.write(keys::UseNetworkTime, 1);
    rig.host.answer = 0;  // the user switches back to GPS
    rig.Run();
    EXPECT_EQ(rig.host.steps, (Steps{"claim", "settings", "autostart", "first-run:1",
                                     "start-at-log-in", "frame", "port"}));
    EXPECT_EQ(rig.runtime.useNetworkTime, 0);
    EXPECT_EQ(rig.store.read(keys::UseNetworkTime), 0);

    // Escape keeps the stored reference: network, no port.
    StartupRig kept;
    kept.store.write(keys::UseNetworkTime, 1);
    kept.Run();
    EXPECT_EQ(kept.host.steps, (Steps{"claim", "settings", "autostart", "first-run:1", "frame"}));
}

TEST(StartupTest, ASecondCopyStopsBeforeTouchingTheStore) {
    StartupRig rig;
    rig.host.anotherCopyRuns = true;
    EXPECT_EQ(rig.Run(), StartupResult::AnotherCopyRuns);
    EXPECT_EQ(rig.host.steps, (Steps{"claim"}));
    EXPECT_EQ(rig.store.writeCount(), 0);
}

TEST(StartupTest, AFrameThatCannotBeCreatedEndsStartUpWithoutOpeningThePort) {
    StartupRig rig;
    rig.store.write(keys::FirstTimeConfig, 0);
    rig.host.frameCreated = false;
    EXPECT_EQ(rig.Run(), StartupResult::FrameFailed);
    EXPECT_EQ(rig.host.steps, (Steps{"claim", "settings", "autostart", "frame"}));
}

TEST(StartupTest, LoadsTheProcessWideSettingsAndTheTimeSource) {
    StartupRig rig;
    rig.store.write(keys::FirstTimeConfig, 0);
    rig.store.write(keys::TimeUpdateRate, 5);
    rig.store.write(keys::UseTimrFrom, 2);
    rig.store.write(keys::TLSats, 4);
    rig.store.write(keys::EnableSetBeep, 1);
    TimeServerList(rig.store).saveList({"127.0.0.1:12300"});
    rig.store.write(keys::TimeServer, "127.0.0.1:12300");
    rig.Run();
    EXPECT_EQ(rig.runtime.updateRate, 5);
    EXPECT_EQ(rig.gps.timeSource, 2);
    EXPECT_EQ(rig.runtime.lockSatellites, 4);
    EXPECT_EQ(rig.runtime.setBeep, 1);
    EXPECT_EQ(rig.runtime.currentServer(), "127.0.0.1:12300");
}

}  // namespace
}  // namespace horalux
