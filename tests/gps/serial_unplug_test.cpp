// A USB receiver unplugged and plugged back, on a real pseudo-terminal behind a stable link (as
// udev gives USB receivers), with the reader polled every 50 ms against the real clock.
#include <gtest/gtest.h>


#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "platform/fake_message_service.h"
#include "platform/system_clock.h"
#include "support/cpu_time.h"
#include "support/pty_pair.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kSentence =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

class Receiver {
  public:
    explicit Receiver(SerialPort& port) : parser_(gps_), reader_(gps_, parser_, clock_) {
        gps_.portHandle = port.Handle();
    }
    // One 50 ms tick; `pty` (when given) sends a sentence every 200 ms as a receiver would.
    void tick(test::PtyPair* pty) {
        if (pty != nullptr && ++ticks_ % 4 == 0) {
            pty->write(kSentence);
        }
        reader_.Poll();
        std::this_thread::sleep_for(50ms);
    }
    // Ticks until done() or the time is up; the time it took, or nothing.
    template <typename Done>
    std::optional<Clock::duration> tickUntil(Done done, std::chrono::seconds timeout,
                                             test::PtyPair* pty) {
        const auto start = Clock::now();
        while (Clock::now() - start < timeout) {
            tick(pty);
            if (done()) {
                return Clock::now() - start;
            }
        }
        return std::nullopt;
    }
    GpsState& gps() { return gps_; }

  private:
    GpsState gps_;
    NmeaParser parser_;
    RealSystemClock clock_;  // only read: the watchdog counts its seconds
    NmeaReader reader_;
    int ticks_ = 0;
};

TEST(SerialUnplugTest, StaleWithinThreeSecondsThenReceivingAgainWhenPluggedBack) {
    test::TempDir dir;
    const std::string link = dir.file("gps0");
    auto pty = std::make_unique<test::PtyPair>();
    test::pointLink(link, pty->slavePath());

    FakeMessageService messages;
    SerialPort port(messages);
    ASSERT_EQ(port.Open(link, 4800, 0, 8, 1, 0), 0);
    Receiver receiver(port);
    GpsState& gps = receiver.gps();

    ASSERT_TRUE(receiver.tickUntil([&] { return gps.sentenceCount >= 3; }, 10s, pty.get()));
    EXPECT_EQ(gps.stale, 0);
    EXPECT_EQ(gps.fixQuality, 1);

    // Unplugged: the device and its link go away.
    pty.reset();
    std::filesystem::remove(link);
    const int attemptsBefore = port.reopenAttempts();
    const double cpuBefore = test::processCpuSeconds();
    const auto staleAfter = receiver.tickUntil([&] { return gps.stale == 1; }, 10s, nullptr);
    ASSERT_TRUE(staleAfter);
    // The watchdog fires on the third change of the local second: under 3 s, plus a tick or two
    // of slack for a loaded machine.
    EXPECT_LT(std::chrono::duration<double>(*staleAfter).count(), 3.3);
    EXPECT_EQ(gps.fixQuality, 0);  // the record was reset
    EXPECT_TRUE(port.IsLost());

    // Three more seconds unplugged: about one quiet reopen attempt a second, no busy loop.
    const auto quietStart = Clock::now();
    receiver.tickUntil([] { return false; }, 3s, nullptr);
    const double unpluggedSeconds =
        std::chrono::duration<double>(Clock::now() - quietStart + *staleAfter).count();
    const int attempts = port.reopenAttempts() - attemptsBefore;
    EXPECT_GE(attempts, static_cast<int>(unpluggedSeconds) - 2);
    EXPECT_LE(attempts, static_cast<int>(unpluggedSeconds) + 1);
    const double cpu = test::processCpuSeconds() - cpuBefore;
    std::printf("unplugged: stale after %.2f s; %d reopen attempts and %.3f s of CPU in %.2f s\n",
                std::chrono::duration<double>(*staleAfter).count(), attempts, cpu,
                unpluggedSeconds);
    EXPECT_LT(cpu, 0.5 * unpluggedSeconds);
    EXPECT_TRUE(messages.boxes().empty());
    EXPECT_TRUE(messages.beeps().empty());

    // Plugged back in: a new device behind the same link.
    pty = std::make_unique<test::PtyPair>();
    test::pointLink(link, pty->slavePath());
    const auto back = receiver.tickUntil([&] { return gps.stale == 0 && gps.sentenceCount >= 2; },
                                         10s, pty.get());
    ASSERT_TRUE(back) << "no sentence came through after plugging back";
    std::printf("plugged back: receiving again after %.2f s\n",
                std::chrono::duration<double>(*back).count());
    EXPECT_LT(std::chrono::duration<double>(*back).count(), 3.0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(gps.fixQuality, 1);
    EXPECT_TRUE(messages.boxes().empty());
}

}  // namespace
}  // namespace horalux
