// nmea-replay as a program: bursts on a pseudo-terminal in step with the real clock, restamped
// to the second they go out in; the synthetic receiver through socat, SerialPort, the reader and
// the parser; the ways it ends.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "gps/gps_state.h"
#include "gps/nmea_checksum.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "nmea_replay/nmea_replay_script.h"
#include "platform/fake_message_service.h"
#include "platform/system_clock.h"
#include "support/child_process.h"
#include "support/pty_pair.h"
#include "support/test_dirs.h"
#include "support/testdata.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Arrival {
    int64_t unixMillis;  // real clock, when the first bytes of the burst came
    std::string bytes;
};

// Collects what arrives on the master for `duration`, grouping reads less than 150 ms apart.
std::vector<Arrival> collectBursts(test::PtyPair& pty, std::chrono::milliseconds duration) {
    std::vector<Arrival> bursts;
    int64_t lastRead = 0;
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        pollfd p{pty.master(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || (p.revents & POLLIN) == 0) {
            std::this_thread::sleep_for(5ms);  // nothing, or nobody has the slave open yet
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
        const int64_t now = systemUnixMillis();
        if (n <= 0) {
            continue;
        }
        if (bursts.empty() || now - lastRead > 150) {
            bursts.push_back({now, {}});
        }
        bursts.back().bytes.append(buffer, static_cast<size_t>(n));
        lastRead = now;
    }
    return bursts;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        out.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

bool exitedCleanly(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(NmeaReplayProgramTest, BurstsComeAfterEachSecondStampedWithIt) {
    HORALUX_REQUIRE_CAPTURES();
    test::PtyPair pty;
    constexpr int kLatency = 300;
    test::ChildProcess replay({test::binary("nmea-replay"),
                               (*test::captureDir() / "garmin25lp.log").string(), pty.slavePath(),
                               "--latency-ms", std::to_string(kLatency)});
    const std::vector<Arrival> bursts = collectBursts(pty, 4500ms);
    EXPECT_EQ(replay.stop(), 0);  // SIGTERM: a clean exit

    ASSERT_GE(bursts.size(), 3u);
    int64_t previousSecond = 0;
    for (const Arrival& burst : bursts) {
        const int64_t second = burst.unixMillis / 1000;
        const int64_t late = burst.unixMillis % 1000;
        SCOPED_TRACE(burst.bytes);
        // Written kLatency ms after the boundary; a loaded machine may deliver it later.
        EXPECT_GE(late, kLatency - 5);
        EXPECT_LE(late, kLatency + 450);
        EXPECT_GT(second, previousSecond);  // one burst per second at most
        previousSecond = second;

        const replay::UtcSecond at = replay::utcSecondFromUnix(second);
        char hhmmss[16];
        std::snprintf(hhmmss, sizeof hhmmss, "%02d%02d%02d", at.hour % 100, at.minute % 100,
                      at.second % 100);
        char ddmmyy[16];
        std::snprintf(ddmmyy, sizeof ddmmyy, "%02d%02d%02d", at.day % 100, at.month % 100,
                      at.year % 100);
        for (const std::string& line : lines(burst.bytes)) {
            ASSERT_EQ(line.substr(line.size() - 1), "\n");
            const size_t star = line.find('*');
            ASSERT_NE(star, std::string::npos);
            EXPECT_EQ(std::stoi(line.substr(star + 1, 2), nullptr, 16),
                      nmeaChecksum(line.substr(1, star - 1)));
            if (line.rfind("$GPGGA,", 0) == 0 || line.rfind("$GPRMC,", 0) == 0) {
                EXPECT_EQ(line.substr(7, 6), hhmmss);
            }
            if (line.rfind("$GPRMC,", 0) == 0) {
                EXPECT_NE(line.find("," + std::string(ddmmyy) + ","), std::string::npos);
            }
        }
    }
}

TEST(NmeaReplayProgramTest, ALogWithoutLoopEndsAfterItsLastBurst) {
    HORALUX_REQUIRE_CAPTURES();
    test::PtyPair pty;
    test::ChildProcess replay({test::binary("nmea-replay"),
                               (*test::captureDir() / "april6_2019.log").string(), pty.slavePath(),
                               "--latency-ms", "0"});
    const std::vector<Arrival> bursts = collectBursts(pty, 2500ms);
    const auto status = replay.wait(5s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(exitedCleanly(*status));
    ASSERT_EQ(bursts.size(), 1u);  // its three RMCs share one second
    EXPECT_EQ(lines(bursts[0].bytes).size(), 3u);
}

TEST(NmeaReplayProgramTest, StopsWhenTheDeviceGoesAway) {
    auto pty = std::make_unique<test::PtyPair>();
    test::ChildProcess replay({test::binary("nmea-replay"), "--synthetic", pty->slavePath()});
    ASSERT_FALSE(collectBursts(*pty, 2500ms).empty());
    pty.reset();  // the other end is closed: the next write fails
    const auto status = replay.wait(5s);
    ASSERT_TRUE(status) << "nmea-replay kept running on a closed device";
    EXPECT_TRUE(exitedCleanly(*status));
}

TEST(NmeaReplayProgramTest, UsageErrorsAreClear) {
    test::TempDir dir;
    const std::string missing = dir.file("missing.log");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--synthetic"},
        {"--synthetic", "-", "--loop"},
        {"only-a-log.log"},
        {"a.log", "-", "--latency-ms", "1000"},
        {"a.log", "-", "--latency-ms", "ten"},
        {"a.log", "-", "--bogus"},
    };
    for (const auto& args : wrong) {
        std::vector<std::string> argv{test::binary("nmea-replay")};
        argv.insert(argv.end(), args.begin(), args.end());
        test::ChildProcess replay(argv);
        const auto status = replay.wait(10s);
        ASSERT_TRUE(status);
        EXPECT_TRUE(WIFEXITED(*status));
        EXPECT_EQ(WEXITSTATUS(*status), 2) << "arguments: " << ::testing::PrintToString(args);
    }
    test::ChildProcess unreadable({test::binary("nmea-replay"), missing, "-"});
    const auto status = unreadable.wait(10s);
    ASSERT_TRUE(status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
}

TEST(NmeaReplayProgramTest, TheSyntheticReceiverLooksLocked) {
    test::TempDir dir;
    const std::string replaySide = dir.file("replay");
    const std::string programSide = dir.file("gps");
    test::ChildProcess socat(
        {"socat", "pty,raw,echo=0,link=" + replaySide, "pty,raw,echo=0,link=" + programSide});
    ASSERT_TRUE(test::waitForPath(replaySide, 10s));
    ASSERT_TRUE(test::waitForPath(programSide, 10s));

    FakeMessageService messages;
    SerialPort port(messages);
    ASSERT_EQ(port.Open(programSide, 4800, 0, 8, 1, 0), 0);
    test::ChildProcess replay({test::binary("nmea-replay"), "--synthetic", replaySide});

    GpsState gps;
    gps.portHandle = port.Handle();
    NmeaParser parser(gps);
    RealSystemClock clock;  // only read, by the watchdog
    NmeaReader reader(gps, parser, clock);
    const auto deadline = Clock::now() + 8s;
    while (Clock::now() < deadline &&
           !(gps.fixQuality == 1 && gps.satellitesInView == 10 && gps.gsvSentenceCount >= 6)) {
        reader.Poll();
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(gps.fixQuality, 1);
    EXPECT_EQ(gps.satellitesInView, 10);
    EXPECT_GE(gps.satellitesUsed, 3);
    EXPECT_EQ(gps.stale, 0);
    EXPECT_NEAR(gps.latitude, 47.3769, 1e-4);
    EXPECT_NEAR(gps.longitude, 8.5417, 1e-4);
    // GPS time is the real UTC time, give or take the second it took to arrive.
    const SystemTime now = utcFromUnixMillis(systemUnixMillis());
    const int gpsSeconds = gps.utcHour * 3600 + gps.utcMinute * 60 + gps.utcSecond;
    const int nowSeconds = now.hour * 3600 + now.minute * 60 + now.second;
    const int difference = (nowSeconds - gpsSeconds + 86400) % 86400;
    EXPECT_LE(difference, 2);
    // The record's sky view holds what the receiver sees.
    int used = 0;
    for (int i = 0; i < 10; ++i) {
        EXPECT_GT(gps.satellites[static_cast<size_t>(i)].prn, 0);
        EXPECT_GT(gps.satellites[static_cast<size_t>(i)].snr, 0);
        used += gps.satellites[static_cast<size_t>(i)].used;
    }
    EXPECT_EQ(used, gps.satellitesUsed);

    EXPECT_EQ(replay.stop(SIGINT), 0);
    socat.stop();
}

}  // namespace
}  // namespace horalux
