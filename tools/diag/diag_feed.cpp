// horalux-diag feed DEVICE [--unit N] [--seconds S] [--delay MS] [--baud B]
//                          [--time-source gga|rmc|zda]
// Feeds GPS time from a receiver to chronyd (or ntpd) through the shared-memory refclock of unit
// N, as the program does with "Feed GPS time to chronyd" on, without the program: for headless
// machines. The receiver is read as soon as its bytes arrive; each sample written is printed as
// one JSON line: the receiver's time ("gps"), the reference and receive times (seconds since
// 1970 UTC; the reference is the GPS second plus the fix-up delay), their difference, the
// processes that have the segment attached besides this one, and whether a reader took the
// sample before. The lock rules are the program's defaults (3 satellites, a good GGA fix). It
// ends after S seconds (none: when interrupted). It never sets the clock.
#include <poll.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "diag/diag_commands.h"
#include "diag/diag_options.h"
#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "platform/memory_settings_store.h"
#include "platform/system_clock.h"
#include "sync/chrony_feed.h"

namespace horalux::diag {

namespace {

volatile std::sig_atomic_t interrupted = 0;

int usage(const std::string& problem) {
    std::fprintf(stderr, "horalux-diag feed: %s\n", problem.c_str());
    std::fprintf(stderr,
                 "usage: horalux-diag feed DEVICE [--unit N] [--seconds S] [--delay MS] "
                 "[--baud B] [--time-source gga|rmc|zda]\n");
    return 2;
}

std::string seconds(int64_t ns) {
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%09lld", static_cast<long long>(ns / 1000000000),
                  static_cast<long long>(ns % 1000000000));
    return text;
}

}  // namespace

int runFeed(const std::vector<std::string>& args) {
    std::string device;
    int unit = keys::ChronyShmUnit.defaultValue;
    int secondsToRun = 0;
    int delay = keys::GPSTimeDelay.defaultValue;
    int baud = keys::Baud.defaultValue;
    int16_t timeSource = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        int* target = arg == "--unit"      ? &unit
                      : arg == "--seconds" ? &secondsToRun
                      : arg == "--delay"   ? &delay
                      : arg == "--baud"    ? &baud
                                           : nullptr;
        if (target != nullptr || arg == "--time-source") {
            if (i + 1 >= args.size()) {
                return usage(arg + " needs a value");
            }
            const std::string& value = args[++i];
            if (target == nullptr) {
                const std::optional<int16_t> source = TimeSourceNamed(value);
                if (!source) {
                    return usage("--time-source is gga, rmc or zda");
                }
                timeSource = *source;
            } else if (const std::optional<int> n = WholeNumber(value)) {
                *target = *n;
            } else {
                return usage(arg + " needs a number, not \"" + value + "\"");
            }
        } else if (!arg.empty() && arg[0] != '-' && device.empty()) {
            device = arg;
        } else {
            return usage("unknown argument \"" + arg + "\"");
        }
    }
    if (device.empty()) {
        return usage("a receiver's device is needed");
    }
    if (unit < ChronyFeed::kMinUnit || unit > ChronyFeed::kMaxUnit) {
        return usage("--unit is 0 to 255");
    }
    if (delay < -999 || delay > 999 || secondsToRun < 0) {
        return usage("--delay is -999 to 999 ms, --seconds not negative");
    }

    MemorySettingsStore store;
    store.write(keys::GPSTimeDelay, delay);
    RuntimeSettings runtime;
    runtime.feedChrony = 1;
    runtime.chronyShmUnit = unit;
    GpsState gps;
    gps.timeSource = timeSource;
    NmeaParser parser(gps);
    RealSystemClock clock;
    NmeaReader reader(gps, parser, clock);
    StderrMessages messages("feed");
    SerialPort port(messages);
    if (port.Open(device, baud, 0, 8, 1, 0) != 0) {
        return 1;
    }
    gps.portHandle = port.Handle();
    ChronyFeed feed(store, runtime, gps);

    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(secondsToRun);
    bool reported = false;
    while (interrupted == 0 && (secondsToRun == 0 || std::chrono::steady_clock::now() < end)) {
        pollfd fd{port.nativeHandle(), POLLIN, 0};
        if (fd.fd >= 0) {
            ::poll(&fd, 1, 100);
        } else {
            ::poll(nullptr, 0, 100);  // a lost receiver is looked for again on the next read
        }
        // What the segment could show of readers is read before the new sample clears it.
        const ChronyFeed::Status before = feed.status();
        reader.Poll();
        const std::optional<RefclockSample> sample =
            feed.OnPortRead(systemUnixNanos(), steadyNanos());
        const ChronyFeed::Status status = feed.status();
        if (!status.error.empty() && !reported) {
            std::fprintf(stderr, "horalux-diag feed: %s\n", status.error.c_str());
            reported = true;
        }
        if (!sample) {
            continue;
        }
        const GpsTimeSnapshot t = gps.timeSnapshot();
        std::printf(
            "{\"gps\":\"%02d:%02d:%02d\",\"unit\":%d,\"reference\":%s,\"receive\":%s,"
            "\"offset\":%.9f,\"readers\":%d,\"previousTaken\":%s}\n",
            t.utcHour, t.utcMinute, t.utcSecond, unit, seconds(sample->referenceNs).c_str(),
            seconds(sample->receiveNs).c_str(),
            static_cast<double>(sample->referenceNs - sample->receiveNs) / 1e9,
            status.otherAttached, before.lastTaken ? "true" : "false");
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace horalux::diag
