#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/heartbeat.h"
#include "app/tray_menu.h"
#include "gps/fake_serial_input.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "platform/fake_message_service.h"
#include "platform/fake_system_clock.h"

namespace horalux {
namespace {

// A sentence as a receiver sends it: "$", body, "*", checksum, CR LF.
std::string Sentence(const std::string& body) {
    uint8_t sum = 0;
    for (char c : body) {
        sum ^= static_cast<uint8_t>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

std::string Gga(int fixQuality) {
    return Sentence("GPGGA,101530.00,4807.038,N,01131.000,E," + std::to_string(fixQuality) +
                    ",08,0.9,545.4,M,46.9,M,,");
}

const std::string kGsaThreeSatellites = Sentence("GPGSA,A,3,04,05,09,,,,,,,,,,2.5,1.3,2.1");

// The heartbeat with every collaborator it drives, on a clock that moves only when told.
struct Rig {
    explicit Rig(const SystemTime& localStart, uint16_t rate, int localOffsetMinutes = 0)
        : clock(utcFromUnixMillis(toUnixMillis(localStart) - int64_t{localOffsetMinutes} * 60000),
                localOffsetMinutes) {
        runtime.updateRate = rate;
        gps.portHandle = &port;
        heartbeat.emplace(clock, runtime, gps, flags, reader, starter, messages);
    }

    // Ticks every 50 ms until the local clock reaches `until`.
    void RunUntil(const SystemTime& until) {
        const int64_t end = toUnixMillis(until);
        while (toUnixMillis(clock.localNow()) < end) {
            clock.advance(50);
            heartbeat->Tick();
        }
    }

    std::vector<std::string> startTimes() const { return starts; }

    FakeSystemClock clock;
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    FakeSerialInput port;
    NmeaParser parser{gps};
    NmeaReader reader{gps, parser, clock};
    FakeMessageService messages;
    std::vector<std::string> starts;  // local hh:mm:ss.mmm of each started update
    std::vector<std::string> serversAtStart;
    int chooseCalls = 0;
    UpdateStarter starter{runtime, [this] { return "server-" + std::to_string(++chooseCalls); },
                          [this] {
                              const SystemTime t = clock.localNow();
                              char text[32];
                              std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.hour,
                                            t.minute, t.second, t.milliseconds);
                              starts.push_back(text);
                              serversAtStart.push_back(runtime.currentServer());
                          }};
    std::optional<Heartbeat> heartbeat;
};

SystemTime Local(int hour, int minute, int second) {
    return {2024,
            5,
            0,
            14,
            static_cast<uint16_t>(hour),
            static_cast<uint16_t>(minute),
            static_cast<uint16_t>(second),
            0};
}

TEST(HeartbeatMinutesTest, HourlyRateStartedInMinuteZeroWaitsForTheFirstMinuteChange) {
    Rig rig(Local(10, 0, 30), 60);
    rig.heartbeat->Tick();
    EXPECT_TRUE(rig.starts.empty());
    rig.RunUntil(Local(11, 5, 0));
    EXPECT_EQ(rig.startTimes(), (std::vector<std::string>{"10:01:00.000", "11:01:00.000"}));
}

TEST(HeartbeatMinutesTest, HourlyRateStartedLaterUpdatesAtOnceThenEveryHour) {
    Rig rig(Local(10, 15, 30), 60);
    EXPECT_TRUE(rig.heartbeat->Tick().updateStarted);
    rig.RunUntil(Local(12, 20, 0));
    EXPECT_EQ(rig.startTimes(),
              (std::vector<std::string>{"10:15:30.000", "11:15:00.000", "12:15:00.000"}));
}

TEST(HeartbeatMinutesTest, RateOneUpdatesOnEveryMinuteChange) {
    Rig started(Local(10, 15, 30), 1);
    started.RunUntil(Local(10, 18, 10));
    EXPECT_EQ(started.startTimes(), (std::vector<std::string>{"10:15:30.050", "10:16:00.000",
                                                              "10:17:00.000", "10:18:00.000"}));

    Rig inMinuteZero(Local(10, 0, 30), 1);
    inMinuteZero.RunUntil(Local(10, 2, 10));
    EXPECT_EQ(inMinuteZero.startTimes(),
              (std::vector<std::string>{"10:01:00.000", "10:02:00.000"}));
}

TEST(HeartbeatMinutesTest, CountsTheLocalClocksMinutesNotUtc) {
    // Local 10:00:30 is 09:30:30 UTC: a heartbeat counting UTC minutes would start at once.
    Rig rig(Local(10, 0, 30), 60, 30);
    rig.RunUntil(Local(10, 0, 59));
    EXPECT_TRUE(rig.starts.empty());
    rig.RunUntil(Local(10, 1, 1));
    EXPECT_EQ(rig.startTimes(), (std::vector<std::string>{"10:01:00.000"}));
}

TEST(HeartbeatMinutesTest, ARateLoweredOnThePagesTakesEffectAtTheNextMinuteChange) {
    Rig rig(Local(10, 15, 30), 60);
    rig.RunUntil(Local(10, 30, 30));  // the counter stands at 15 after the first update
    ASSERT_EQ(rig.starts.size(), 1u);
    rig.runtime.updateRate = 5;
    rig.RunUntil(Local(10, 41, 30));
    EXPECT_EQ(rig.startTimes(), (std::vector<std::string>{"10:15:30.050", "10:31:00.000",
                                                          "10:36:00.000", "10:41:00.000"}));
}

TEST(HeartbeatMinutesTest, EachUpdateChoosesItsServerBeforeTheWorkerStarts) {
    Rig rig(Local(10, 15, 30), 1);
    rig.RunUntil(Local(10, 17, 30));
    EXPECT_EQ(rig.serversAtStart, (std::vector<std::string>{"server-1", "server-2", "server-3"}));
}

TEST(HeartbeatMinutesTest, UpdatesStartWhetherOrNotGpsTimeIsLocked) {
    Rig rig(Local(10, 15, 30), 1);  // GPS mode, nothing received
    rig.RunUntil(Local(10, 16, 30));
    EXPECT_EQ(rig.flags.timeLocked, 0);
    EXPECT_EQ(rig.starts.size(), 2u);
}

TEST(HeartbeatBeepTest, OnlyPeriodicUpdatesBeepAndOnlyWhenEnabled) {
    Rig quiet(Local(10, 15, 30), 1);
    quiet.RunUntil(Local(10, 17, 30));
    EXPECT_EQ(quiet.starts.size(), 3u);
    EXPECT_TRUE(quiet.messages.beeps().empty());

    Rig beeping(Local(10, 15, 30), 1);
    beeping.runtime.setBeep = 1;
    beeping.RunUntil(Local(10, 17, 30));
    EXPECT_EQ(beeping.messages.beeps(), (std::vector<unsigned>{0, 0, 0}));

    // "Set PC Clock Now" starts through the same starter, without the heartbeat: no beep.
    beeping.messages.clear();
    beeping.starter.Start();
    EXPECT_EQ(beeping.starts.size(), 4u);
    EXPECT_TRUE(beeping.messages.beeps().empty());
}

TEST(HeartbeatSecondsTest, ReportsEachNewLocalSecondOnce) {
    Rig rig(Local(10, 15, 30), 60);
    int newSeconds = 0;
    EXPECT_TRUE(rig.heartbeat->Tick().newSecond);  // the first tick always refreshes the tip
    for (int i = 0; i < 100; ++i) {                // 5 seconds of ticks
        rig.clock.advance(50);
        newSeconds += rig.heartbeat->Tick().newSecond ? 1 : 0;
    }
    EXPECT_EQ(newSeconds, 5);
}

TEST(HeartbeatLockTest, NetworkModeIsAlwaysLockedAndLeavesThePortAlone) {
    Rig rig(Local(10, 15, 30), 60);
    rig.runtime.useNetworkTime = 1;
    rig.port.receive(Gga(0));
    rig.heartbeat->Tick();
    EXPECT_EQ(rig.flags.timeLocked, 1);
    EXPECT_EQ(rig.port.reads(), 0);
    EXPECT_EQ(rig.gps.sentenceCount, 0);
}

// "Set PC Clock Now" follows the lock, which follows what arrived in the same tick.
TEST(HeartbeatLockTest, GpsLockFollowsTheSentencesOfTheSameTickAndTheLockRules) {
    struct Case {
        int lockNeedsGoodGga;
        int fixQuality;
        int locked;
    };
    for (const Case c : {Case{1, 0, 0}, Case{1, 1, 1}, Case{0, 0, 1}, Case{0, 1, 1}}) {
        SCOPED_TRACE("TLGPSGood " + std::to_string(c.lockNeedsGoodGga) + ", fix " +
                     std::to_string(c.fixQuality));
        Rig rig(Local(10, 15, 30), 60);
        rig.runtime.lockNeedsGoodGga = c.lockNeedsGoodGga;
        rig.runtime.lockSatellites = 3;
        rig.port.receive(Gga(c.fixQuality) + kGsaThreeSatellites);
        rig.heartbeat->Tick();
        EXPECT_EQ(rig.gps.satellitesUsed, 3);
        EXPECT_EQ(rig.flags.timeLocked, c.locked);
        EXPECT_EQ(TrayMenuStateFor(rig.flags.timeLocked, false).setClockNowEnabled, c.locked == 1);
    }
}

TEST(HeartbeatLockTest, ASilentReceiverLosesTheLock) {
    Rig rig(Local(10, 15, 30), 60);
    rig.runtime.lockNeedsGoodGga = 0;
    rig.port.receive(Gga(1) + kGsaThreeSatellites);
    rig.heartbeat->Tick();
    ASSERT_EQ(rig.flags.timeLocked, 1);
    rig.RunUntil(Local(10, 15, 36));
    EXPECT_EQ(rig.gps.stale, 1);
    EXPECT_EQ(rig.flags.timeLocked, 0);
}

TEST(TrayMenuTest, ShowClockIsCheckedExactlyWhenTheClockIsVisible) {
    EXPECT_EQ(TrayMenuStateFor(1, true), (TrayMenuState{true, true}));
    EXPECT_EQ(TrayMenuStateFor(0, false), (TrayMenuState{false, false}));
}

}  // namespace
}  // namespace horalux
