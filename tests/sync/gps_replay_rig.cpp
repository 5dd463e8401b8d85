#include "gps_replay_rig.h"

#include <poll.h>
#include <signal.h>
#include <cstdlib>
#include <ctime>

#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "sync/sync_worker.h"
#include "sync/time_lock.h"

namespace horalux::test {

using namespace std::chrono_literals;

GpsReplayRig::GpsReplayRig(std::vector<std::string> source, int latencyMs, bool watchPort)
    : source_(std::move(source)),
      latencyMs_(latencyMs),
      watchPort_(watchPort),
      clock_(dir_.file("clock-offset")) {
    store_.write(keys::GPSTimeDelay, latencyMs);
    runtime_.useNetworkTime = 0;
    port_ = std::make_unique<SerialPort>(messages_);
}

GpsReplayRig::~GpsReplayRig() {
    worker_.reset();  // joins a running update (it gives up once the timer stops)
    if (timer_.joinable()) {
        timer_.request_stop();
        timer_.join();
    }
    silenceReceiver();
    port_.reset();
    if (socat_) {
        socat_->stop(SIGTERM);
    }
}

std::string GpsReplayRig::start() {
    const std::string replaySide = dir_.file("replay");
    const std::string programSide = dir_.file("gps");
    socat_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "socat", "pty,raw,echo=0,link=" + replaySide, "pty,raw,echo=0,link=" + programSide});
    if (!waitForPath(replaySide, 10s) || !waitForPath(programSide, 10s)) {
        return "socat made no pseudo-terminal pair";
    }
    if (port_->Open(programSide, 4800, 0, 8, 1, 1) != 0) {
        return "SerialPort cannot open " + programSide;
    }
    gps_.portHandle = port_->Handle();

    std::vector<std::string> argv{binary("nmea-replay")};
    argv.insert(argv.end(), source_.begin(), source_.end());
    argv.insert(argv.end(), {replaySide, "--latency-ms", std::to_string(latencyMs_)});
    replay_ = std::make_unique<ChildProcess>(argv);

    worker_ = std::make_unique<SyncWorker>(
        SyncContext{store_, clock_, capability_, setter_, runtime_, gps_, flags_});
    timer_ = std::jthread([this](std::stop_token stop) { run(stop); });
    return {};
}

// The main frame's event loop: its 50 ms timer and its watch on the port. All writes to the GPS
// record happen here.
void GpsReplayRig::run(const std::stop_token& stop) {
    using Clock = std::chrono::steady_clock;
    NmeaParser parser(gps_);
    NmeaReader reader(gps_, parser, clock_);
    auto next = Clock::now();
    while (!stop.stop_requested()) {
        const auto now = Clock::now();
        if (now >= next) {
            reader.Poll();
            flags_.timeLocked = TimeLockTest(gps_, runtime_);
            next += 50ms + std::chrono::milliseconds(phaseShift_.exchange(0));
            continue;
        }
        // Taken after every Poll: a hang-up closes the descriptor, a reopen brings a new one.
        const int handle = watchPort_ ? port_->nativeHandle() : -1;
        if (handle < 0) {
            std::this_thread::sleep_until(next);
            continue;
        }
        // Rounded up, so that the wait does not end just before the tick is due.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now);
        pollfd watch{handle, POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(wait.count())) > 0) {
            reader.Poll();  // bytes, or a hang-up that this read notices
        }
    }
}

bool GpsReplayRig::waitLocked(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (flags_.timeLocked == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::optional<int64_t> GpsReplayRig::update(std::chrono::milliseconds bound) {
    const int before = clock_.settings();
    worker_->StartSync();
    if (!worker_->waitIdle(bound) || clock_.settings() == before) {
        return std::nullopt;
    }
    return clock_.offsetMillis();
}

void GpsReplayRig::silenceReceiver() {
    if (replay_) {
        replay_->stop(SIGTERM);
    }
}

void GpsReplayRig::useTimeZoneWithLocalNoon() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const int east = 12 - utc.tm_hour;  // hours to add to UTC for local noon: -11..12
    // POSIX TZ counts hours west of UTC.
    const std::string tz = "RIG" + std::to_string(-east);
    setenv("TZ", tz.c_str(), 1);
    tzset();
}

}  // namespace horalux::test
