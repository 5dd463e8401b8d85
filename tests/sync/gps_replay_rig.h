#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "app/runtime_settings.h"
#include "gps/gps_state.h"
#include "platform/fake_message_service.h"
#include "platform/fake_time_capability.h"
#include "platform/memory_settings_store.h"
#include "platform/system_clock.h"
#include "support/child_process.h"
#include "support/test_dirs.h"
#include "sync/clock_setter.h"
#include "sync/sync_flags.h"

namespace horalux {
class SerialPort;
class SyncWorker;
}  // namespace horalux

namespace horalux::test {

// The virtual clock, counting the settings that went through.
class CountingClock final : public SystemClock {
  public:
    explicit CountingClock(const std::string& offsetFile) : clock_(offsetFile) {}
    SystemTime utcNow() const override { return clock_.utcNow(); }
    SystemTime localNow() const override { return clock_.localNow(); }
    bool setUtc(const SystemTime& utc) override {
        const bool ok = clock_.setUtc(utc);
        if (ok) {
            ++settings_;
        }
        return ok;
    }
    int settings() const { return settings_; }
    int64_t offsetMillis() const { return clock_.offsetMillis(); }
    // Moves the virtual clock away from the system time by `offset` ms.
    void setOffset(int64_t offset) {
        clock_.setUtc(utcFromUnixMillis(systemUnixMillis() + offset));
    }

  private:
    VirtualSystemClock clock_;
    std::atomic<int> settings_{0};
};

// A GPS receiver on a pseudo-terminal pair, played by nmea-replay, and the program's own path
// from the serial port to the clock: SerialPort, NmeaReader and NmeaParser driven by a thread
// that stands in for the main frame's event loop, and a SyncWorker that sets a virtual clock kept
// in a temporary file. "GPSTimeDelay" is the replay's latency, so a set clock should equal the
// system time.
//
// The thread does what the main frame does: every 50 ms a tick (Poll, then the time-lock test
// into timeLocked), and between ticks it waits on the port's descriptor and polls as soon as
// bytes arrive, taking the descriptor afresh after every Poll. With `watchPort` false it ticks
// only, as the program did before it watched the port.
class GpsReplayRig {
  public:
    // source: the nmea-replay arguments before the device, e.g. {"--synthetic"} or {LOG, ...}.
    GpsReplayRig(std::vector<std::string> source, int latencyMs, bool watchPort = true);
    ~GpsReplayRig();
    GpsReplayRig(const GpsReplayRig&) = delete;
    GpsReplayRig& operator=(const GpsReplayRig&) = delete;

    // Starts socat, opens the program's end, starts nmea-replay and the timer thread. An empty
    // text on success, else what failed.
    std::string start();
    // Waits for the time lock, at most `bound`.
    bool waitLocked(std::chrono::milliseconds bound);
    // One clock update through the worker, waiting for its end at most `bound`. The virtual
    // clock's offset from the system time right after the setting (the clock's error in ms), or
    // nothing when the update set nothing.
    std::optional<int64_t> update(std::chrono::milliseconds bound);
    // Stops nmea-replay: the receiver falls silent.
    void silenceReceiver();
    // Delays the timer's next tick by `shift`, moving its phase against the UTC second.
    void shiftTimerPhase(std::chrono::milliseconds shift) { phaseShift_ += shift.count(); }

    CountingClock& clock() { return clock_; }
    SyncFlags& flags() { return flags_; }

    // Sets TZ so that the local hour is noon now (the GPS update skips local hours 23 and 1).
    static void useTimeZoneWithLocalNoon();

  private:
    void run(const std::stop_token& stop);

    std::vector<std::string> source_;
    int latencyMs_;
    bool watchPort_;
    TempDir dir_;
    MemorySettingsStore store_;
    CountingClock clock_;
    FakeTimeCapability capability_;
    ClockSetter setter_{clock_, capability_};
    RuntimeSettings runtime_;
    GpsState gps_;
    SyncFlags flags_;
    FakeMessageService messages_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<ChildProcess> socat_;
    std::unique_ptr<ChildProcess> replay_;
    std::unique_ptr<SyncWorker> worker_;
    std::atomic<int64_t> phaseShift_{0};  // ms, taken by the next tick
    std::jthread timer_;
};

}  // namespace horalux::test
