#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <thread>

#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "sentence_feeder.h"
#include "sync/gps_clock_setter.h"
#include "sync_fixture.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using test::ggaData;
using test::SentenceFeeder;
using test::zdaData;

GpsTimeSnapshot gpsTime(int h, int m, int s) {
    return {h, m, s, 0, 0, 0, 0};
}

SystemTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return {static_cast<uint16_t>(y), static_cast<uint16_t>(mo), 0,
            static_cast<uint16_t>(d), static_cast<uint16_t>(h),  static_cast<uint16_t>(mi),
            static_cast<uint16_t>(s), static_cast<uint16_t>(ms)};
}

// Compares everything but the day of week.
void expectTime(const std::optional<SystemTime>& actual, const SystemTime& expected) {
    ASSERT_TRUE(actual.has_value());
    SystemTime a = *actual;
    a.dayOfWeek = 0;
    EXPECT_EQ(a, expected);
}

// --- Composing the time to set -------------------------------------------------------------

TEST(ComposeGpsTimeTest, TakesThePcDateTheGpsSecondAndTheDelay) {
    const SystemTime pc = utc(2001, 3, 18, 12, 0, 1, 950);
    expectTime(ComposeGpsTime(pc, gpsTime(12, 0, 2), 50), utc(2001, 3, 18, 12, 0, 2, 50));
    expectTime(ComposeGpsTime(pc, gpsTime(12, 0, 2), 0), utc(2001, 3, 18, 12, 0, 2, 0));
    expectTime(ComposeGpsTime(pc, gpsTime(12, 0, 2), 999), utc(2001, 3, 18, 12, 0, 2, 999));
    // A negative delay reaches into the second before.
    expectTime(ComposeGpsTime(pc, gpsTime(12, 0, 2), -200), utc(2001, 3, 18, 12, 0, 1, 800));
    expectTime(ComposeGpsTime(pc, gpsTime(12, 0, 2), -999), utc(2001, 3, 18, 12, 0, 1, 1));
}

TEST(ComposeGpsTimeTest, NegativeDelayCarriesThroughTheCalendar) {
    expectTime(ComposeGpsTime(utc(2001, 3, 1, 0, 0, 0, 300), gpsTime(0, 0, 0), -200),
               utc(2001, 2, 28, 23, 59, 59, 800));
    expectTime(ComposeGpsTime(utc(2004, 3, 1, 0, 0, 0, 300), gpsTime(0, 0, 0), -200),
               utc(2004, 2, 29, 23, 59, 59, 800));  // leap year
    expectTime(ComposeGpsTime(utc(2001, 1, 1, 0, 0, 0, 300), gpsTime(0, 0, 0), -1),
               utc(2000, 12, 31, 23, 59, 59, 999));
    expectTime(ComposeGpsTime(utc(2001, 3, 18, 13, 0, 0), gpsTime(13, 0, 0), -200),
               utc(2001, 3, 18, 12, 59, 59, 800));
}

TEST(ComposeGpsTimeTest, TheZdaDateWinsWhateverThePcDate) {
    GpsTimeSnapshot gps{12, 0, 2, 1, 2002, 7, 4};
    expectTime(ComposeGpsTime(utc(2001, 3, 18, 12, 0, 1), gps, 50), utc(2002, 7, 4, 12, 0, 2, 50));
    // Far from the PC's time it is still trusted: the midnight correction is for PC dates only.
    expectTime(ComposeGpsTime(utc(2002, 7, 4, 23, 59, 0), {0, 0, 5, 1, 2002, 7, 4}, 50),
               utc(2002, 7, 4, 0, 0, 5, 50));
    // A ZDA sentence whose date fields were empty gives no calendar date: nothing to set.
    EXPECT_FALSE(ComposeGpsTime(utc(2001, 3, 18, 12, 0, 1), {12, 0, 2, 1, 0, 0, 0}, 50));
    // zdaDateValid other than 1 leaves the PC's date.
    expectTime(ComposeGpsTime(utc(2001, 3, 18, 12, 0, 1), {12, 0, 2, 0, 2002, 7, 4}, 50),
               utc(2001, 3, 18, 12, 0, 2, 50));
}

TEST(ComposeGpsTimeTest, PcDateIsMovedTowardsThePcTimeAcrossMidnight) {
    // The PC clock runs 2 s fast and already shows the new day; GPS still says 23:59:59.
    expectTime(ComposeGpsTime(utc(2001, 3, 2, 0, 0, 1), gpsTime(23, 59, 59), 50),
               utc(2001, 3, 1, 23, 59, 59, 50));
    // The PC clock runs slow and still shows the old day; GPS is past midnight.
    expectTime(ComposeGpsTime(utc(2001, 2, 28, 23, 59, 58), gpsTime(0, 0, 1), 50),
               utc(2001, 3, 1, 0, 0, 1, 50));
    // Across the end of the year, both ways.
    expectTime(ComposeGpsTime(utc(2001, 1, 1, 0, 0, 3), gpsTime(23, 59, 59), -200),
               utc(2000, 12, 31, 23, 59, 58, 800));
    expectTime(ComposeGpsTime(utc(2000, 12, 31, 23, 59, 57), gpsTime(0, 0, 0), 0),
               utc(2001, 1, 1, 0, 0, 0, 0));
    // Exactly 12 hours apart is left as it is; more than 12 hours is moved.
    expectTime(ComposeGpsTime(utc(2001, 3, 1, 12, 0, 0), gpsTime(0, 0, 0), 0),
               utc(2001, 3, 1, 0, 0, 0, 0));
    expectTime(ComposeGpsTime(utc(2001, 3, 1, 12, 0, 1), gpsTime(0, 0, 0), 0),
               utc(2001, 3, 2, 0, 0, 0, 0));
}

TEST(ComposeGpsTimeTest, RefusesDelaysAndTimesOutOfRange) {
    const SystemTime pc = utc(2001, 3, 18, 12, 0, 1);
    for (int delay : {1000, -1000, 65536 + 50, 70000, -70000}) {
        SCOPED_TRACE(delay);
        EXPECT_FALSE(ComposeGpsTime(pc, gpsTime(12, 0, 2), delay));
    }
    EXPECT_FALSE(ComposeGpsTime(pc, gpsTime(24, 0, 0), 50));
    EXPECT_FALSE(ComposeGpsTime(pc, gpsTime(12, 60, 0), 50));
    EXPECT_FALSE(ComposeGpsTime(pc, gpsTime(12, 0, 60), 50));
    EXPECT_FALSE(ComposeGpsTime(pc, gpsTime(-1, 0, 0), 50));
}

// --- One GPS update, with a thread standing in for the user-interface thread -----------------

class SetClockFromGpsTest : public ::testing::Test {
  protected:
    explicit SetClockFromGpsTest(int localOffsetMinutes = 0)
        : f_(utc(2001, 3, 18, 12, 0, 0, 400), localOffsetMinutes), feeder_(f_.gps) {
        f_.flags.timeLocked = 1;
        feeder_.dispatch("GPGGA", ggaData(12, 0, 0));
    }

    // The receiver's next two seconds, a quarter of a second apart (the update notes the
    // current second as it starts, well within the first pause).
    void sendTwoSeconds() {
        feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 2)}});
    }

    static double secondsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    test::SyncFixture f_;
    SentenceFeeder feeder_;
};

// The CPU time the calling thread has used, in milliseconds.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

TEST_F(SetClockFromGpsTest, SetsTheSecondJustBegunPlusTheStoredDelay) {
    sendTwoSeconds();
    const double cpuBefore = threadCpuMs();
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);  // "GPSTimeDelay" absent: 50
    // The half second of waiting sleeps: the parser wakes it (a polling wait burns it all).
    EXPECT_LT(threadCpuMs() - cpuBefore, 50.0);
    ASSERT_EQ(f_.clock.settingCount(), 1u);
    SystemTime set = f_.clock.settings()[0];
    EXPECT_EQ(set.year, 2001);
    EXPECT_EQ(set.month, 3);
    EXPECT_EQ(set.day, 18);
    EXPECT_EQ(set.hour, 12);
    EXPECT_EQ(set.minute, 0);
    EXPECT_EQ(set.second, 2);
    EXPECT_EQ(set.milliseconds, 50);
}

TEST_F(SetClockFromGpsTest, AddsTheTimeSinceTheReaderSawTheSentence) {
    // The reader saw the second's sentence 40 ms before this thread woke to it: the clock is set
    // 40 ms further on, as if the worker had woken at once.
    NmeaParser parser(f_.gps);
    std::jthread reader([&parser](const std::stop_token& stop) {
        for (int s = 1; s <= 2 && !stop.stop_requested(); ++s) {
            std::this_thread::sleep_for(250ms);
            const auto seen = std::chrono::steady_clock::now() - 40ms;
            parser.Dispatch(
                "GPGGA", ggaData(12, 0, s).c_str(),
                std::chrono::duration_cast<std::chrono::nanoseconds>(seen.time_since_epoch())
                    .count());
        }
    });
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    ASSERT_EQ(f_.clock.settingCount(), 1u);
    const int64_t set = toUnixMillis(f_.clock.settings()[0]);
    const int64_t base = toUnixMillis(utc(2001, 3, 18, 12, 0, 2, 50));
    EXPECT_GE(set - base, 40);
    EXPECT_LE(set - base, 140) << "40 ms, and however late this thread woke";

    // An arrival that is not the second's own, or not timed, adds nothing.
    TimeSentenceArrival other{1, 1, 12, 0, 1};
    EXPECT_EQ(MillisSinceArrival(other, gpsTime(12, 0, 2)), 0);
    EXPECT_EQ(MillisSinceArrival(TimeSentenceArrival{1, 0, 12, 0, 2}, gpsTime(12, 0, 2)), 0);
    EXPECT_EQ(MillisSinceArrival(std::nullopt, gpsTime(12, 0, 2)), 0);
    EXPECT_EQ(MillisSinceArrival(TimeSentenceArrival{1, 1, 12, 0, 2}, gpsTime(12, 0, 2)), 999)
        << "bounded";
}

TEST_F(SetClockFromGpsTest, ReadsTheDelayAtEveryUpdate) {
    f_.store.write(keys::GPSTimeDelay, -200);
    sendTwoSeconds();
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    feeder_.stop();
    f_.store.write(keys::GPSTimeDelay, 120);
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 3)}, {250ms, "GPGGA", ggaData(12, 0, 4)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    ASSERT_EQ(f_.clock.settingCount(), 2u);
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[0]), toUnixMillis(utc(2001, 3, 18, 12, 0, 1, 800)));
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[1]), toUnixMillis(utc(2001, 3, 18, 12, 0, 4, 120)));
}

TEST_F(SetClockFromGpsTest, UsesTheZdaDateAndTime) {
    f_.gps.timeSource = 2;
    feeder_.dispatch("GPZDA", zdaData(12, 0, 0, 4, 7, 2002));
    feeder_.start({{250ms, "GPZDA", zdaData(12, 0, 1, 4, 7, 2002)},
                   {250ms, "GPZDA", zdaData(12, 0, 2, 4, 7, 2002)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    ASSERT_EQ(f_.clock.settingCount(), 1u);
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[0]), toUnixMillis(utc(2002, 7, 4, 12, 0, 2, 50)));
}

TEST_F(SetClockFromGpsTest, DeclinesAtOnceWhenUnlockedOrTheDelayIsOutOfRange) {
    const auto start = std::chrono::steady_clock::now();
    f_.flags.timeLocked = 0;
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::NotLocked);
    f_.flags.timeLocked = 1;
    // A hand-edited delay the page would have refused; 65536 + 50 would pass as 50 in a 16-bit
    // milliseconds field.
    for (int delay : {1000, -1000, 65536 + 50}) {
        f_.store.write(keys::GPSTimeDelay, delay);
        EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::DelayOutOfRange);
    }
    EXPECT_LT(secondsSince(start), 1.0);  // none of them waited for the receiver
    EXPECT_EQ(f_.clock.settingCount(), 0u);
}

TEST_F(SetClockFromGpsTest, LeavesTheClockToChronydWhileGpsTimeIsFedToIt) {
    f_.runtime.feedChrony = 1;
    sendTwoSeconds();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::LeftToChronyd);
    EXPECT_LT(secondsSince(start), 0.2) << "without waiting for the receiver";
    f_.flags.timeLocked = 0;
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::LeftToChronyd) << "locked or not";
    EXPECT_EQ(f_.clock.settingCount(), 0u);
    feeder_.stop();
    f_.runtime.feedChrony = 0;
    f_.flags.timeLocked = 1;
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 3)}, {250ms, "GPGGA", ggaData(12, 0, 4)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set) << "and sets it again once it is off";
}

TEST_F(SetClockFromGpsTest, GivesUpWhenTheReceiverFallsSilent) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::NoTurnOver);
    const double silent = secondsSince(start);
    EXPECT_GE(silent, 2.95);
    EXPECT_LT(silent, 10.0);

    // One second turns over, then the receiver stops: the second wait gives up too.
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}});
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::NoTurnOver);
    EXPECT_GE(secondsSince(start), 3.2);
    EXPECT_EQ(f_.clock.settingCount(), 0u);
}

TEST_F(SetClockFromGpsTest, AResetOfASilentReceiverIsNoTurnOver) {
    // The receiver sends one more second and falls silent; the reader's watchdog then resets
    // the record, which moves the second to 0. Setting the clock to 00:00:00 would put it hours
    // wrong.
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "", ""}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::NoTurnOver);
    EXPECT_EQ(f_.clock.settingCount(), 0u);
    feeder_.stop();

    // A reset before the first turn-over, then a receiver that comes back: the clock is set
    // from the second that follows the first sentence after the reset.
    feeder_.dispatch("GPGGA", ggaData(12, 0, 5));
    feeder_.start({{250ms, "", ""},
                   {250ms, "GPGGA", ggaData(12, 0, 8)},
                   {250ms, "GPGGA", ggaData(12, 0, 9)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    ASSERT_EQ(f_.clock.settingCount(), 1u);
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[0]), toUnixMillis(utc(2001, 3, 18, 12, 0, 9, 50)));
}

TEST_F(SetClockFromGpsTest, TheSecondTurnOverMustFollowOnFromTheFirst) {
    // A dropped sentence (one second missing) still counts; a jump elsewhere becomes the new
    // reference, and the clock is set from the second that follows it.
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 1)}, {250ms, "GPGGA", ggaData(12, 0, 3)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    feeder_.stop();
    feeder_.start({{250ms, "GPGGA", ggaData(12, 0, 4)},
                   {250ms, "GPGGA", ggaData(17, 33, 0)},
                   {250ms, "GPGGA", ggaData(12, 0, 6)},
                   {250ms, "GPGGA", ggaData(12, 0, 7)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    ASSERT_EQ(f_.clock.settingCount(), 2u);
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[0]), toUnixMillis(utc(2001, 3, 18, 12, 0, 3, 50)));
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[1]), toUnixMillis(utc(2001, 3, 18, 12, 0, 7, 50)));
}

TEST_F(SetClockFromGpsTest, TurnsOverAcrossMidnight) {
    f_.clock.setNow(utc(2001, 3, 1, 23, 59, 58, 900));
    f_.clock.setLocalOffsetMinutes(180);  // local 02:59
    feeder_.dispatch("GPGGA", ggaData(23, 59, 58));
    feeder_.start({{250ms, "GPGGA", ggaData(23, 59, 59)}, {250ms, "GPGGA", ggaData(0, 0, 0)}});
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Set);
    ASSERT_EQ(f_.clock.settingCount(), 1u);
    EXPECT_EQ(toUnixMillis(f_.clock.settings()[0]), toUnixMillis(utc(2001, 3, 2, 0, 0, 0, 50)));
}

TEST_F(SetClockFromGpsTest, StopsWaitingWhenAskedTo) {
    std::stop_source stop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SetClockFromGps(f_.ctx, stop.get_token()), GpsClockResult::Stopped);
    EXPECT_LT(secondsSince(start), 2.0);
    EXPECT_EQ(f_.clock.settingCount(), 0u);
}

TEST_F(SetClockFromGpsTest, ARefusedSettingIsReportedAndHarmless) {
    f_.clock.setAllowSetting(false);
    sendTwoSeconds();
    EXPECT_EQ(SetClockFromGps(f_.ctx), GpsClockResult::Refused);
    EXPECT_EQ(f_.clock.settingCount(), 0u);
}

// The fake clock stands at 12:00:00 UTC; the local offset puts the local time where wanted.
struct LocalHourCase {
    int localOffsetMinutes;
    const char* local;
    bool updates;
    friend void PrintTo(const LocalHourCase& c, std::ostream* os) { *os << "local " << c.local; }
};

class SetClockFromGpsLocalHourTest : public SetClockFromGpsTest,
                                     public ::testing::WithParamInterface<LocalHourCase> {
  protected:
    SetClockFromGpsLocalHourTest() : SetClockFromGpsTest(GetParam().localOffsetMinutes) {}
};

TEST_P(SetClockFromGpsLocalHourTest, SkipsLocalHours23And1) {
    ASSERT_EQ(f_.clock.localNow().hour * 100 + f_.clock.localNow().minute,
              std::stoi(GetParam().local));
    sendTwoSeconds();
    const GpsClockResult result = SetClockFromGps(f_.ctx);
    if (GetParam().updates) {
        EXPECT_EQ(result, GpsClockResult::Set);
        EXPECT_EQ(f_.clock.settingCount(), 1u);
    } else {
        EXPECT_EQ(result, GpsClockResult::LocalHourSkipped);
        EXPECT_EQ(f_.clock.settingCount(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LocalTimes, SetClockFromGpsLocalHourTest,
    ::testing::Values(LocalHourCase{690, "2330", false}, LocalHourCase{795, "0115", false},
                      LocalHourCase{750, "0030", true}, LocalHourCase{840, "0200", true},
                      LocalHourCase{-60, "1100", true}, LocalHourCase{-780, "2300", false}),
    [](const auto& info) { return std::string("Local") + info.param.local; });

}  // namespace
}  // namespace horalux
