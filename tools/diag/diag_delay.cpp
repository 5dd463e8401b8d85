// horalux-diag delay DEVICE --server HOST[:PORT] [--seconds N] [--baud N|auto]
//                   [--time-source gga|rmc|zda]
// Measures how late the receiver on DEVICE sends its time sentence after the second it names,
// against a time server, with the program's own reader, speed search and measurement; prints one
// JSON object. Never sets the clock.
#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "diag/diag_commands.h"
#include "diag/diag_options.h"
#include "gps/baud_detector.h"
#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "platform/system_clock.h"
#include "sync/delay_measurement.h"

namespace horalux::diag {

namespace {

using Steady = std::chrono::steady_clock;
using namespace std::chrono_literals;

const char* const kUsage =
    "usage: horalux-diag delay DEVICE --server HOST[:PORT] [--seconds N] [--baud N|auto]\n"
    "                          [--time-source gga|rmc|zda]\n";

int usage(const std::string& problem) {
    std::fprintf(stderr, "horalux-diag delay: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

struct Options {
    std::string device;
    std::string server;
    int seconds = 60;
    int baud = 0;  // 0: found by the speed search
    int16_t timeSource = 0;
};

std::string parse(const std::vector<std::string>& args, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue =
            arg == "--server" || arg == "--seconds" || arg == "--baud" || arg == "--time-source";
        if (takesValue && i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        if (arg == "--server") {
            o.server = args[++i];
        } else if (arg == "--seconds") {
            const auto n = WholeNumber(args[++i]);
            if (!n || *n < 5 || *n > 3600) {
                return "--seconds takes a whole number from 5 to 3600";
            }
            o.seconds = *n;
        } else if (arg == "--baud") {
            const std::string value = args[++i];
            if (value == "auto") {
                o.baud = 0;
            } else if (const auto n = WholeNumber(value); n && *n > 0) {
                o.baud = *n;
            } else {
                return "--baud takes a speed in bit/s or auto";
            }
        } else if (arg == "--time-source") {
            const std::optional<int16_t> source = TimeSourceNamed(args[++i]);
            if (!source) {
                return "--time-source takes gga, rmc or zda";
            }
            o.timeSource = *source;
        } else if (o.device.empty() && !arg.starts_with("--")) {
            o.device = arg;
        } else {
            return "unexpected argument '" + arg + "'";
        }
    }
    if (o.device.empty() || o.server.empty()) {
        return "a DEVICE and a --server are needed";
    }
    return {};
}

// Reads the port as the program does: at once when bytes arrive, and at least every 50 ms.
void pollPort(SerialPort& port, NmeaReader& reader) {
    pollfd p{port.nativeHandle(), POLLIN, 0};
    if (p.fd >= 0) {
        ::poll(&p, 1, 50);
    } else {
        std::this_thread::sleep_for(50ms);
    }
    reader.Poll();
}

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch())
        .count();
}

}  // namespace

int runDelay(const std::vector<std::string>& args) {
    Options o;
    if (const std::string problem = parse(args, o); !problem.empty()) {
        return usage(problem);
    }
    StderrMessages messages("delay");
    SerialPort port(messages);
    const int startBaud = o.baud != 0 ? o.baud : BaudDetector::kSpeeds.front();
    if (port.Open(o.device, startBaud, 0, 8, 1, 0) != 0) {
        return 1;
    }
    GpsState gps;
    gps.timeSource = o.timeSource;
    gps.portHandle = port.Handle();
    NmeaParser parser(gps);
    const auto clock = makeSystemClock();
    NmeaReader reader(gps, parser, *clock);

    // The speed: sentences at the given one, or the first the search finds (two rounds at most),
    // once a few have come at it (one that slipped through before the port was set is no proof).
    constexpr uint64_t kSentencesToTrust = 3;
    BaudDetector detector(startBaud);
    uint64_t validAtSpeed = 0;
    const auto searchStart = Steady::now();
    const auto searchEnd = searchStart + (o.baud != 0 ? 10s : 30s);
    while (reader.validSentences() - validAtSpeed < kSentencesToTrust || detector.searching()) {
        if (Steady::now() > searchEnd) {
            std::fprintf(stderr, "horalux-diag delay: no NMEA sentences from %s%s\n",
                         o.device.c_str(), o.baud != 0 ? " at that speed" : " at any speed");
            return 1;
        }
        pollPort(port, reader);
        const BaudDetector::Step step =
            detector.Observe(steadyMs(), reader.bytesRead(), reader.validSentences());
        if (step.kind == BaudDetector::Step::Kind::TrySpeed && o.baud == 0) {
            port.SetSpeed(step.baud);
            validAtSpeed = reader.validSentences();
        }
    }
    const double searchSeconds = std::chrono::duration<double>(Steady::now() - searchStart).count();

    DelayMeasurement measurement(gps, o.server, DelayMeasurement::SntpQueryFor(o.server),
                                 std::chrono::seconds(o.seconds));
    std::atomic<bool> done{false};
    DelayResult result;
    std::jthread worker([&](const std::stop_token& stop) {
        result = measurement.Run(stop);
        done = true;
    });
    while (!done) {
        pollPort(port, reader);
    }
    worker.join();
    if (result.outcome != DelayOutcome::Measured) {
        std::fprintf(stderr, "horalux-diag delay: %s\n", result.text.c_str());
        return 1;
    }
    std::printf(
        "{\"delay_ms\": %d, \"spread_ms\": %d, \"samples\": %d, \"outliers\": %d, \"baud\": %d, "
        "\"baud_search_s\": %.1f, \"time_source\": \"%s\", \"server\": \"%s\", "
        "\"sntp_answers\": %d, \"round_trip_ms\": %.3f}\n",
        result.figures.medianMs, result.figures.spreadMs, result.figures.samples,
        result.figures.outliers, port.baud(), searchSeconds, TimeSourceName(o.timeSource),
        o.server.c_str(), result.sntpAnswers, result.roundTripMs);
    return 0;
}

}  // namespace horalux::diag
