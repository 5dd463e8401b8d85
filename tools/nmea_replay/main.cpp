// nmea-replay: plays a receiver into a serial device (one end of a pseudo-terminal pair) or onto
// standard output, in step with the real UTC clock.
//   nmea-replay LOG DEVICE|- [--latency-ms N] [--loop]
//   nmea-replay --synthetic DEVICE|- [--latency-ms N]
// Each burst goes out N ms (default 100) after the next UTC second boundary of the system clock,
// with its times and dates set to that second. It never sets the clock.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nmea_replay/nmea_replay_script.h"
#include "nmea_replay/synthetic_receiver.h"
#include "platform/system_clock.h"

namespace {

using horalux::replay::NmeaReplayScript;
using horalux::replay::SyntheticReceiver;

volatile sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

int usage(const std::string& problem) {
    if (!problem.empty()) {
        std::fprintf(stderr, "nmea-replay: %s\n", problem.c_str());
    }
    std::fprintf(stderr,
                 "usage: nmea-replay LOG DEVICE|- [--latency-ms N] [--loop]\n"
                 "       nmea-replay --synthetic DEVICE|- [--latency-ms N]\n"
                 "Sends a captured NMEA log (or a synthetic receiver) to DEVICE (or standard\n"
                 "output for -) once a second, N ms (0-999, default 100) after each UTC second.\n");
    return 2;
}

struct Options {
    bool synthetic = false;
    bool loop = false;
    int latencyMs = 100;
    std::string log;
    std::string device;
};

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Parses the command line; an error text when it is wrong.
std::string parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--synthetic") {
            options.synthetic = true;
        } else if (arg == "--loop") {
            options.loop = true;
        } else if (arg == "--latency-ms" || arg.rfind("--latency-ms=", 0) == 0) {
            std::string value;
            if (arg == "--latency-ms") {
                if (i + 1 >= argc) {
                    return "--latency-ms needs a value";
                }
                value = argv[++i];
            } else {
                value = arg.substr(std::strlen("--latency-ms="));
            }
            const auto ms = parseInt(value);
            if (!ms || *ms < 0 || *ms > 999) {
                return "--latency-ms takes a whole number of milliseconds from 0 to 999, not '" +
                       value + "'";
            }
            options.latencyMs = *ms;
        } else if (arg == "-" || arg.empty() || arg[0] != '-') {
            positional.push_back(arg);
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    if (options.synthetic) {
        if (options.loop) {
            return "--loop is for logs; the synthetic receiver runs until stopped";
        }
        if (positional.size() != 1) {
            return "--synthetic takes one DEVICE (or - for standard output)";
        }
        options.device = positional[0];
    } else {
        if (positional.size() != 2) {
            return "give a LOG and a DEVICE (or - for standard output)";
        }
        options.log = positional[0];
        options.device = positional[1];
    }
    return {};
}

// Opens the output. A terminal is put into raw mode so that line endings go out as they are.
int openOutput(const std::string& device) {
    if (device == "-") {
        return STDOUT_FILENO;
    }
    const int fd = ::open(device.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "nmea-replay: cannot open %s: %s\n", device.c_str(),
                     std::strerror(errno));
        return -1;
    }
    termios tio{};
    if (::isatty(fd) && ::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// Sleeps until the given real-time moment (milliseconds since 1970); false when asked to stop.
bool sleepUntil(int64_t unixMillis) {
    timespec when{};
    when.tv_sec = static_cast<time_t>(unixMillis / 1000);
    when.tv_nsec = static_cast<long>(unixMillis % 1000) * 1000000L;
    while (!stopRequested) {
        const int rc = ::clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &when, nullptr);
        if (rc == 0) {
            return !stopRequested;
        }
        if (rc != EINTR) {
            return false;
        }
    }
    return false;
}

enum class WriteResult { Done, Dropped, Closed, Stopped };

// Writes a burst. A device that takes nothing for half a second (nobody reads its other end)
// loses the rest of the burst, as a receiver's output would: the next one still goes out on time.
WriteResult writeAll(int fd, std::string_view bytes) {
    constexpr int kStallMs = 500;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            if (stopRequested) {
                return WriteResult::Stopped;
            }
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, kStallMs);
            if (stopRequested) {
                return WriteResult::Stopped;
            }
            if (ready == 0) {
                return WriteResult::Dropped;
            }
        } else {
            return WriteResult::Closed;  // EPIPE, EIO (the other end went away), ...
        }
    }
    return WriteResult::Done;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::string problem = parse(argc, argv, options); !problem.empty()) {
        return usage(problem);
    }

    NmeaReplayScript script;
    if (!options.synthetic) {
        std::ifstream in(options.log, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "nmea-replay: cannot read %s\n", options.log.c_str());
            return 1;
        }
        const std::string log((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
        script = NmeaReplayScript::fromLog(log);
        if (script.empty()) {
            std::fprintf(stderr, "nmea-replay: %s holds no NMEA sentences\n", options.log.c_str());
            return 1;
        }
    }

    struct sigaction action {};
    action.sa_handler = onStopSignal;  // no SA_RESTART: a signal ends a sleep or a write
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as EPIPE

    const int fd = openOutput(options.device);
    if (fd < 0) {
        return 1;
    }

    size_t next = 0;
    while (!stopRequested) {
        // The real clock, never the virtual one: a receiver keeps true time.
        const int64_t now = horalux::systemUnixMillis();
        const int64_t second = now / 1000 + 1;
        if (!sleepUntil(second * 1000 + options.latencyMs)) {
            break;
        }
        const std::string bytes =
            options.synthetic ? SyntheticReceiver::burst(second)
                              : script.render(next, horalux::replay::utcSecondFromUnix(second));
        const WriteResult result = writeAll(fd, bytes);
        if (result == WriteResult::Closed) {
            std::fprintf(stderr, "nmea-replay: %s closed (%s); stopping\n",
                         options.device == "-" ? "standard output" : options.device.c_str(),
                         std::strerror(errno));
            break;
        }
        if (result == WriteResult::Stopped) {
            break;
        }
        if (!options.synthetic && ++next == script.burstCount()) {
            if (!options.loop) {
                break;
            }
            next = 0;
        }
    }
    if (fd != STDOUT_FILENO) {
        ::close(fd);
    }
    return 0;
}
