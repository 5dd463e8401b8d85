#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "app/heartbeat.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "platform/fake_message_service.h"
#include "platform/fake_system_clock.h"
#include "platform/fake_time_capability.h"
#include "platform/memory_settings_store.h"
#include "sync/sync_worker.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

// The heartbeat driving the real worker, whose network update is replaced by one that records
// the server it was given and whether the worker marked itself busy.
TEST(HeartbeatWorkerTest, PeriodicUpdatesRunOnTheWorkerWithTheServerChosenForThem) {
    MemorySettingsStore store;
    FakeSystemClock clock({2024, 5, 0, 14, 10, 15, 30, 0});
    FakeTimeCapability capability;
    RuntimeSettings runtime;
    runtime.updateRate = 1;
    runtime.useNetworkTime = 1;
    GpsState gps;
    SyncFlags flags;
    NmeaParser parser(gps);
    NmeaReader reader(gps, parser, clock);
    FakeMessageService messages;

    std::mutex mutex;
    std::vector<std::string> servers;
    int busyDuringUpdate = 0;
    ClockSetter setter(clock, capability);
    SyncWorker worker(SyncContext{store, clock, capability, setter, runtime, gps, flags},
                      [&](SyncContext& ctx, const std::string& server) {
                          std::lock_guard lock(mutex);
                          servers.push_back(server);
                          busyDuringUpdate += ctx.flags.syncBusy.load();
                          ctx.flags.networkFailed = server == "server-2" ? 1 : 0;
                          return UpdateOutcome{};
                      });
    int chosen = 0;
    UpdateStarter starter(
        runtime, [&chosen] { return "server-" + std::to_string(++chosen); },
        [&worker] { worker.StartSync(); });
    Heartbeat heartbeat(clock, runtime, gps, flags, reader, starter, messages);

    for (int minute = 0; minute < 3; ++minute) {
        ASSERT_TRUE(heartbeat.Tick().updateStarted);
        ASSERT_TRUE(worker.waitIdle(5s));
        if (minute == 1) {
            EXPECT_EQ(flags.networkFailed, 1);
        }
        clock.advance(60'000);
    }
    EXPECT_EQ(flags.timeLocked, 1);
    EXPECT_EQ(flags.syncBusy, 0);
    EXPECT_EQ(flags.networkFailed, 0);
    std::lock_guard lock(mutex);
    EXPECT_EQ(servers, (std::vector<std::string>{"server-1", "server-2", "server-3"}));
    EXPECT_EQ(busyDuringUpdate, 3);
}

}  // namespace
}  // namespace horalux
