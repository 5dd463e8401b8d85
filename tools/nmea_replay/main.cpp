// nmea-replay: plays a receiver into a serial device (one end of a pseudo-terminal pair) or onto
// standard output, in step with the real UTC clock.
//   nmea-replay LOG DEVICE|- [--latency-ms N] [--jitter-ms J] [--baud B] [--pty] [--truth FILE]
//               [--loop]
//   nmea-replay --synthetic DEVICE|- [same options but --loop]
// Each burst goes out N ms (default 100, moved by up to J ms either way) after the next UTC second
// boundary of the system clock, with its times and dates set to that second. With --baud the
// bytes go out as a serial line at B bit/s carries them; with --pty the program's end is a new
// pseudo-terminal linked at DEVICE, whose speed the program sets: a speed other than B gets what
// a UART at that speed reads of the line. --truth appends, for every time sentence (GGA, RMC,
// ZDA) that reached the program whole, when its last checksum character left, in ms after the
// second it names. It never sets the clock.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "nmea_replay/nmea_replay_script.h"
#include "nmea_replay/synthetic_receiver.h"
#include "nmea_replay/uart_line.h"
#include "platform/posix_serial_device.h"
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
                 "usage: nmea-replay LOG DEVICE|- [OPTIONS] [--loop]\n"
                 "       nmea-replay --synthetic DEVICE|- [OPTIONS]\n"
                 "Sends a captured NMEA log (or a synthetic receiver) to DEVICE (or standard\n"
                 "output for -) once a second, N ms after each UTC second. OPTIONS:\n"
                 "  --latency-ms N  0-999, default 100\n"
                 "  --jitter-ms J   each burst moved by a uniform -J..J ms (0-500, default 0)\n"
                 "  --baud B        paced as a serial line at B bit/s, 8N1\n"
                 "  --pty           make DEVICE a link to a new pseudo-terminal; a program that\n"
                 "                  sets it to another speed than B reads what a UART would\n"
                 "  --truth FILE    append when each whole time sentence left, per line:\n"
                 "                  {\"second\": S, \"sentence\": \"GGA\", \"end_ms\": T}\n");
    return 2;
}

struct Options {
    bool synthetic = false;
    bool loop = false;
    bool pty = false;
    int latencyMs = 100;
    int jitterMs = 0;
    int baud = 0;  // 0: the whole burst at once
    std::string truth;
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

// The option taking a value that `arg` names ("--latency-ms" or "--latency-ms=..."), or null.
const char* valueOption(const std::string& arg) {
    for (const char* name : {"--latency-ms", "--jitter-ms", "--baud", "--truth"}) {
        const size_t n = std::strlen(name);
        if (arg.compare(0, n, name) == 0 && (arg.size() == n || arg[n] == '=')) {
            return name;
        }
    }
    return nullptr;
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
        } else if (arg == "--pty") {
            options.pty = true;
        } else if (const char* name = valueOption(arg)) {
            std::string value;
            if (arg == name) {
                if (i + 1 >= argc) {
                    return std::string(name) + " needs a value";
                }
                value = argv[++i];
            } else {
                value = arg.substr(std::strlen(name) + 1);
            }
            if (std::strcmp(name, "--truth") == 0) {
                options.truth = value;
                continue;
            }
            const auto number = parseInt(value);
            if (std::strcmp(name, "--latency-ms") == 0) {
                if (!number || *number < 0 || *number > 999) {
                    return "--latency-ms takes a whole number of milliseconds from 0 to 999, "
                           "not '" +
                           value + "'";
                }
                options.latencyMs = *number;
            } else if (std::strcmp(name, "--jitter-ms") == 0) {
                if (!number || *number < 0 || *number > 500) {
                    return "--jitter-ms takes a whole number of milliseconds from 0 to 500, "
                           "not '" +
                           value + "'";
                }
                options.jitterMs = *number;
            } else {
                if (!number || !horalux::PosixSerialDevice::speedConstant(*number) ||
                    *number < 300) {
                    return "--baud takes a serial line speed such as 4800 or 115200, not '" +
                           value + "'";
                }
                options.baud = *number;
            }
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
    if (options.pty && (options.device == "-" || options.baud == 0)) {
        return "--pty needs a DEVICE link to make and a --baud";
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

int64_t realNowNs() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Sleeps until the given real-time moment (nanoseconds since 1970); false when asked to stop.
bool sleepUntil(int64_t unixNanos) {
    timespec when{};
    when.tv_sec = static_cast<time_t>(unixNanos / 1000000000LL);
    when.tv_nsec = static_cast<long>(unixNanos % 1000000000LL);
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

// A new pseudo-terminal whose program end is linked at `link`: its master end (for writing and
// for reading the speed the program set), and the program end held open in raw mode at `baud`
// until the program sets its own (so nothing is echoed back meanwhile).
struct Pty {
    int master = -1;
    int slave = -1;
};

std::optional<Pty> makePty(const std::string& link, int baud) {
    Pty pty;
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (pty.master < 0 || ::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0) {
        std::fprintf(stderr, "nmea-replay: no pseudo-terminal: %s\n", std::strerror(errno));
        return std::nullopt;
    }
    const char* name = ::ptsname(pty.master);
    pty.slave = name == nullptr ? -1 : ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (pty.slave < 0 || ::tcgetattr(pty.slave, &tio) != 0) {
        std::fprintf(stderr, "nmea-replay: cannot open %s: %s\n", name ? name : "the pty",
                     std::strerror(errno));
        return std::nullopt;
    }
    ::cfmakeraw(&tio);
    const auto speed = horalux::PosixSerialDevice::speedConstant(baud);
    ::cfsetispeed(&tio, *speed);
    ::cfsetospeed(&tio, *speed);
    ::tcsetattr(pty.slave, TCSANOW, &tio);
    ::unlink(link.c_str());
    if (::symlink(name, link.c_str()) != 0) {
        std::fprintf(stderr, "nmea-replay: cannot link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        return std::nullopt;
    }
    return pty;
}

// The speed the program set on its end of our pseudo-terminal (0 when unknown).
int programSpeed(int master) {
    termios tio{};
    if (::tcgetattr(master, &tio) != 0) {
        return 0;
    }
    const speed_t speed = ::cfgetispeed(&tio);
    for (const int baud :
         {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600}) {
        if (horalux::PosixSerialDevice::speedConstant(baud) == speed) {
            return baud;
        }
    }
    return 0;
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

// The line a burst goes out on: the descriptor, its speed (0: not paced), and the master end of
// our pseudo-terminal, whose speed is the one the program reads it at (-1: not ours; the program
// reads at the line's speed).
struct Line {
    int fd;
    int senderBaud;
    int master;

    int receiverBaud() const {
        const int baud = master >= 0 ? programSpeed(master) : 0;
        return baud > 0 ? baud : senderBaud;
    }
};

// Sends one burst of the UTC second `second`, starting at `startNs` (real time): all at once when
// the line is not paced, else each byte when a UART at the program's speed would have it. When
// the program changes its speed during the burst, the rest of it is lost (as on a real line,
// whose receiver loses its footing). Notes in `truth` when each whole time sentence's last
// checksum character left.
WriteResult sendBurst(const Line& line, const std::string& bytes, int64_t second, int64_t startNs,
                      FILE* truth) {
    using horalux::replay::UartByte;
    std::vector<UartByte> received;
    if (line.senderBaud == 0) {
        for (const char c : bytes) {
            received.push_back({static_cast<uint8_t>(c), 0.0});
        }
    }
    const int receiverBaud = line.receiverBaud();
    if (line.senderBaud != 0) {
        received = horalux::replay::ReceiveAs(bytes, line.senderBaud, receiverBaud);
    }
    // Only what arrives as it was sent has sentences the program can take; of each type, the
    // first of the burst turns the second over (a receiver of several constellations sends one
    // for each).
    std::vector<horalux::replay::TimeSentenceEnd> ends;
    if (truth != nullptr && received.size() == bytes.size()) {
        for (const auto& end : horalux::replay::TimeSentenceEnds(bytes)) {
            if (std::none_of(ends.begin(), ends.end(),
                             [&](const auto& e) { return e.type == end.type; })) {
                ends.push_back(end);
            }
        }
    }
    size_t nextEnd = 0;
    size_t from = 0;
    std::string chunk;
    while (from < received.size()) {
        const auto due = [&](size_t i) {
            return startNs + static_cast<int64_t>(received[i].atSeconds * 1e9);
        };
        if (!sleepUntil(due(from))) {
            return WriteResult::Stopped;
        }
        if (line.receiverBaud() != receiverBaud) {
            return WriteResult::Done;
        }
        const int64_t now = realNowNs();
        size_t to = from;
        chunk.clear();
        while (to < received.size() && due(to) <= now) {
            chunk += static_cast<char>(received[to++].value);
        }
        const WriteResult result = writeAll(line.fd, chunk);
        if (result != WriteResult::Done) {
            return result == WriteResult::Dropped ? WriteResult::Done : result;
        }
        const int64_t written = realNowNs();
        for (; nextEnd < ends.size() && ends[nextEnd].index < to; ++nextEnd) {
            std::fprintf(truth, "{\"second\": %lld, \"sentence\": \"%s\", \"end_ms\": %.3f}\n",
                         static_cast<long long>(second), ends[nextEnd].type.c_str(),
                         static_cast<double>(written - second * 1000000000LL) / 1e6);
        }
        if (truth != nullptr) {
            std::fflush(truth);
        }
        from = to;
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

    std::optional<Pty> pty;
    int fd = -1;
    if (options.pty) {
        pty = makePty(options.device, options.baud);
        if (!pty) {
            return 1;
        }
        fd = pty->master;
    } else {
        fd = openOutput(options.device);
    }
    if (fd < 0) {
        return 1;
    }
    FILE* truth = nullptr;
    if (!options.truth.empty()) {
        truth = std::fopen(options.truth.c_str(), "a");
        if (truth == nullptr) {
            std::fprintf(stderr, "nmea-replay: cannot write %s: %s\n", options.truth.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> jitter(-options.jitterMs, options.jitterMs);

    size_t next = 0;
    while (!stopRequested) {
        // The real clock, never the virtual one: a receiver keeps true time.
        const int64_t now = horalux::systemUnixMillis();
        const int64_t second = now / 1000 + 1;
        const int latency = std::max(0, options.latencyMs + jitter(random));
        const int64_t start = (second * 1000 + latency) * 1000000LL;
        const std::string bytes =
            options.synthetic ? SyntheticReceiver::burst(second)
                              : script.render(next, horalux::replay::utcSecondFromUnix(second));
        const Line line{fd, options.baud, pty ? pty->master : -1};
        const WriteResult result = sendBurst(line, bytes, second, start, truth);
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
    if (truth != nullptr) {
        std::fclose(truth);
    }
    if (pty) {
        ::unlink(options.device.c_str());
        ::close(pty->slave);
    }
    if (fd != STDOUT_FILENO) {
        ::close(fd);
    }
    return 0;
}
