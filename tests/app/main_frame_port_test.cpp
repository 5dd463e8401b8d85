// The main frame reading the receiver's port as bytes arrive, in its own event loop (offscreen):
// a real pseudo-terminal behind a link, as udev gives USB receivers, unplugged and plugged back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "platform/fake_message_service.h"
#include "platform/fake_url_opener.h"
#include "platform/memory_settings_store.h"
#include "platform/system_clock.h"
#include "support/cpu_time.h"
#include "support/pty_pair.h"
#include "support/test_dirs.h"
#include "ui/help_manual.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kSentence =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

// The main frame in GPS mode on a receiver behind a link, with fakes for what it starts and shows.
// The frame's timers and its watch run whenever the test runs the event loop.
struct PortFrameRig {
    PortFrameRig() {
        store.write(keys::DigitalClockEnabled, 0);
        runtime.useNetworkTime = 0;
        test::pointLink(link, pty->slavePath());
        frame = std::make_unique<CMainFrame>(MainFrameServices{
            store, runtime, gps, flags, clock, reader, starter, messages, help, &port});
    }

    bool Open() {
        if (port.Open(link, 4800, 0, 8, 1, 1) != 0) {
            return false;
        }
        gps.portHandle = port.Handle();
        return true;
    }

    // Runs the event loop until done() or the time is up; the number of times the loop woke up,
    // or -1 when the time ran out. The frame's 50 ms timer bounds every wait.
    template <typename Done>
    int RunUntil(Done done, std::chrono::milliseconds bound) {
        const auto deadline = Clock::now() + bound;
        int wakeUps = 0;
        while (!done()) {
            if (Clock::now() >= deadline) {
                return -1;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            ++wakeUps;
        }
        return wakeUps;
    }
    int RunFor(std::chrono::milliseconds duration) {
        const auto end = Clock::now() + duration;
        return RunUntil([&] { return Clock::now() >= end; }, duration + 1s);
    }

    // The notifiers of the frame that are live (a removed one may wait for its deletion).
    std::vector<QSocketNotifier*> LiveNotifiers() {
        std::vector<QSocketNotifier*> live;
        for (QSocketNotifier* notifier : frame->findChildren<QSocketNotifier*>()) {
            if (notifier->isEnabled()) {
                live.push_back(notifier);
            }
        }
        return live;
    }
    bool Watched() {
        const std::vector<QSocketNotifier*> live = LiveNotifiers();
        return port.nativeHandle() >= 0 && frame->watchedPortHandle() == port.nativeHandle() &&
               live.size() == 1 && live[0]->socket() == port.nativeHandle();
    }

    // Sends one sentence `count` times and returns how long each took to be parsed (ms, sorted),
    // or nothing when one was not parsed within 500 ms or not exactly once. Between sentences the
    // loop wakes for the frame's timers alone, so each write comes just after one of them: read
    // on the 50 ms tick alone, a sentence would wait up to 50 ms.
    std::optional<std::vector<double>> ParseDelays(int count) {
        std::vector<double> delays;
        for (int i = 0; i < count; ++i) {
            RunFor(20ms);
            const int32_t before = gps.sentenceCount;
            const auto sent = Clock::now();
            if (!pty->write(kSentence)) {
                return std::nullopt;
            }
            if (RunUntil([&] { return gps.sentenceCount != before; }, 500ms) < 0) {
                return std::nullopt;
            }
            delays.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            if (gps.sentenceCount != before + 1) {
                return std::nullopt;  // one sentence, one dispatch
            }
        }
        std::sort(delays.begin(), delays.end());
        return delays;
    }

    test::TempDir dir;
    std::string link = dir.file("gps0");
    std::unique_ptr<test::PtyPair> pty = std::make_unique<test::PtyPair>();
    MemorySettingsStore store;
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    VirtualSystemClock clock{dir.file("clock-offset")};  // only read: the watchdog's seconds
    NmeaParser parser{gps};
    NmeaReader reader{gps, parser, clock};
    UpdateStarter starter{runtime, [] { return std::string("ntp.example"); }, [] {}};
    FakeMessageService messages;
    FakeUrlOpener urls;
    HelpManual help{urls, messages, QString::fromStdString(dir.path().string())};
    SerialPort port{messages};
    std::unique_ptr<CMainFrame> frame;
};

// Printed with the figures: the delays from write to parse, sorted.
void PrintDelays(const char* what, const std::vector<double>& delays) {
    std::printf("%s: parsed %.2f ms (median) to %.2f ms (slowest) after the write\n", what,
                delays[delays.size() / 2], delays.back());
}

TEST(MainFramePortTest, BytesAreParsedAsTheyArriveNotOnTheNextTick) {
    PortFrameRig rig;
    ASSERT_TRUE(rig.Open());
    ASSERT_GE(rig.RunUntil([&] { return rig.Watched(); }, 2s), 0)
        << "no watch on the port's descriptor";

    // Read on the 50 ms tick alone, each sentence would wait for the next tick, up to 50 ms.
    const std::optional<std::vector<double>> delays = rig.ParseDelays(12);
    ASSERT_TRUE(delays) << "a sentence was not parsed, or parsed twice";
    PrintDelays("receiver on a pty", *delays);
    EXPECT_LT((*delays)[delays->size() / 2], 5.0);
    EXPECT_EQ(rig.gps.stale, 0);
    EXPECT_EQ(rig.gps.fixQuality, 1);

    // Switched to network time: the port is not read any more, by the watch or by the tick.
    rig.runtime.useNetworkTime = 1;
    rig.frame->OnHeartbeatTimer();
    EXPECT_EQ(rig.frame->watchedPortHandle(), -1);
    EXPECT_TRUE(rig.LiveNotifiers().empty());
    const int32_t count = rig.gps.sentenceCount;
    ASSERT_TRUE(rig.pty->write(kSentence));
    rig.RunFor(150ms);
    EXPECT_EQ(rig.gps.sentenceCount, count);

    // And back to GPS: the watch returns with the next tick.
    rig.runtime.useNetworkTime = 0;
    ASSERT_GE(rig.RunUntil([&] { return rig.Watched(); }, 2s), 0);
    EXPECT_GE(rig.RunUntil([&] { return rig.gps.sentenceCount > count; }, 1s), 0)
        << "what came while in network mode is read once back in GPS mode";
}

TEST(MainFramePortTest, UnpluggedTheWatchGoesWithoutABusyLoopAndPluggedBackReadingResumes) {
    PortFrameRig rig;
    ASSERT_TRUE(rig.Open());
    ASSERT_GE(rig.RunUntil([&] { return rig.Watched(); }, 2s), 0);
    ASSERT_TRUE(rig.ParseDelays(3));
    const uint64_t generation = rig.port.openGeneration();

    // Unplugged: the device and its link go. The hang-up wakes the watch, whose read closes the
    // descriptor; the watch goes before the loop waits again.
    rig.pty.reset();
    std::filesystem::remove(rig.link);
    ASSERT_GE(rig.RunUntil([&] { return rig.port.IsLost(); }, 1s), 0);
    EXPECT_EQ(rig.frame->watchedPortHandle(), -1);
    EXPECT_TRUE(rig.LiveNotifiers().empty());

    // Three seconds unplugged: the loop wakes for its timers (and one quiet reopen attempt a
    // second), not for a dead descriptor.
    const double cpuBefore = test::processCpuSeconds();
    const int attemptsBefore = rig.port.reopenAttempts();
    const int wakeUps = rig.RunFor(3s);
    const double cpu = test::processCpuSeconds() - cpuBefore;
    std::printf("unplugged for 3 s: %d event-loop wake-ups, %.3f s of CPU, %d reopen attempts\n",
                wakeUps, cpu, rig.port.reopenAttempts() - attemptsBefore);
    EXPECT_LT(wakeUps, 600);  // a spinning loop wakes hundreds of thousands of times
    EXPECT_LT(cpu, 0.5);
    EXPECT_GE(rig.RunUntil([&] { return rig.gps.stale == 1; }, 1s), 0)
        << "the watchdog did not see the silence";
    EXPECT_TRUE(rig.messages.boxes().empty());

    // Plugged back: a new device behind the same link, found within about a second, watched and
    // read as bytes arrive again.
    rig.pty = std::make_unique<test::PtyPair>();
    test::pointLink(rig.link, rig.pty->slavePath());
    ASSERT_GE(rig.RunUntil([&] { return rig.Watched(); }, 3s), 0) << "not watched again";
    EXPECT_GT(rig.port.openGeneration(), generation);
    const std::optional<std::vector<double>> delays = rig.ParseDelays(6);
    ASSERT_TRUE(delays) << "no reading after plugging back";
    PrintDelays("plugged back", *delays);
    EXPECT_LT((*delays)[delays->size() / 2], 5.0);
    EXPECT_EQ(rig.gps.stale, 0);
}

TEST(MainFramePortTest, APortReopenedOnAnotherDeviceOrClosedIsFollowedWithinATick) {
    PortFrameRig rig;
    ASSERT_TRUE(rig.Open());
    ASSERT_GE(rig.RunUntil([&] { return rig.Watched(); }, 2s), 0);

    // Reopened on another device, as "Apply Comm Settings" does: watched within a tick, and what
    // the new device sends is read as it arrives.
    test::PtyPair second;
    rig.port.Close();
    ASSERT_EQ(rig.port.Open(second.slavePath(), 4800, 0, 8, 1, 1), 0);
    rig.gps.portHandle = rig.port.Handle();
    EXPECT_GE(rig.RunUntil([&] { return rig.Watched(); }, 60ms), 0);
    const int32_t before = rig.gps.sentenceCount;
    ASSERT_TRUE(rig.pty->write(kSentence));  // the old device is not read any more
    ASSERT_TRUE(second.write(kSentence));
    ASSERT_GE(rig.RunUntil([&] { return rig.gps.sentenceCount > before; }, 500ms), 0);
    rig.RunFor(60ms);
    EXPECT_EQ(rig.gps.sentenceCount, before + 1);

    // Closed, as choosing the network does: the watch goes at once, and the loop never waits on
    // the closed descriptor.
    rig.runtime.useNetworkTime = 1;
    rig.port.Close();
    rig.gps.portHandle = nullptr;
    EXPECT_EQ(rig.frame->watchedPortHandle(), -1);
    EXPECT_TRUE(rig.LiveNotifiers().empty());
    const int wakeUps = rig.RunFor(200ms);
    EXPECT_LT(wakeUps, 40) << "a loop polling a closed descriptor wakes without end";
}

}  // namespace
}  // namespace horalux
