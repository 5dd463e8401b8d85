// horalux-diag nmea [FILE] [--time-source gga|rmc|zda] [--every]
// Runs bytes from FILE (or standard input) through the program's own sentence reader and parser
// (no watchdog, no pacing) and prints the resulting GPS record as JSON: once at the end, or with
// --every once per dispatched sentence (one line each, flushed, so a pipe shows it live). The
// last field, "sky", is the sky view of every constellation; with no clock nothing ages out.
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "diag/diag_commands.h"
#include "diag/diag_options.h"
#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/sky_view.h"
#include "platform/system_clock.h"

namespace horalux::diag {

namespace {

int usage(const char* problem) {
    std::fprintf(stderr, "horalux-diag nmea: %s\n", problem);
    std::fprintf(stderr, "usage: horalux-diag nmea [FILE] [--time-source gga|rmc|zda] [--every]\n");
    return 2;
}

// A clock the reader's Feed never asks (the watchdog runs only in Poll).
class UnusedClock final : public SystemClock {
  public:
    SystemTime utcNow() const override { return {}; }
    SystemTime localNow() const override { return {}; }
    bool setUtc(const SystemTime&) override { return false; }
};

void appendInt(std::string& out, const char* name, long long value) {
    out += '"';
    out += name;
    out += "\":";
    out += std::to_string(value);
    out += ',';
}

// Shortest text that reads back as the same double; null for values JSON cannot carry.
void appendDouble(std::string& out, const char* name, double value) {
    out += '"';
    out += name;
    out += "\":";
    if (std::isfinite(value)) {
        std::array<char, 32> text{};
        const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
        out.append(text.data(), result.ptr);
    } else {
        out += "null";
    }
    out += ',';
}

// The record and the sky view as one JSON line; `sentence` (the address of the sentence just
// dispatched) is given only with --every.
std::string toJson(const GpsState& gps, const SkyView& sky, const std::string* sentence = nullptr) {
    std::string out = "{";
    if (sentence != nullptr) {
        out += "\"sentence\":\"";
        for (const char c : *sentence) {
            if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
                out += c;
            } else {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            }
        }
        out += "\",";
    }
    appendInt(out, "sentenceCount", gps.sentenceCount);
    appendInt(out, "gsvSentenceCount", gps.gsvSentenceCount);
    appendInt(out, "utcHour", gps.utcHour);
    appendInt(out, "utcMinute", gps.utcMinute);
    appendInt(out, "utcSecond", gps.utcSecond);
    appendDouble(out, "latitude", gps.latitude);
    appendDouble(out, "longitude", gps.longitude);
    appendDouble(out, "altitude", gps.altitude);
    appendInt(out, "fixQuality", gps.fixQuality);
    appendInt(out, "satellitesUsed", gps.satellitesUsed);
    appendInt(out, "satellitesInView", gps.satellitesInView);
    appendInt(out, "zdaDateValid", gps.zdaDateValid);
    appendInt(out, "zdaYear", gps.zdaYear);
    appendInt(out, "zdaMonth", gps.zdaMonth);
    appendInt(out, "zdaDay", gps.zdaDay);
    out += "\"satellites\":[";
    const int count = std::clamp(gps.satellitesInView, 0, GpsState::kTableSize);
    for (int i = 0; i < count; ++i) {
        const SatelliteInfo& s = gps.satellites[static_cast<size_t>(i)];
        if (i > 0) {
            out += ',';
        }
        out += "{\"prn\":" + std::to_string(s.prn) + ",\"azimuth\":" + std::to_string(s.azimuth) +
               ",\"elevation\":" + std::to_string(s.elevation) +
               ",\"used\":" + std::to_string(s.used) + ",\"snr\":" + std::to_string(s.snr) + "}";
    }
    out += "],\"sky\":[";
    bool first = true;
    for (const SkySatellite& s : sky.Satellites()) {
        if (!first) {
            out += ',';
        }
        first = false;
        out += std::string("{\"system\":\"") + GnssSystemName(s.system) +
               "\",\"prn\":" + std::to_string(s.prn) +
               ",\"elevation\":" + std::to_string(s.elevation) +
               ",\"azimuth\":" + std::to_string(s.azimuth) + ",\"snr\":" + std::to_string(s.snr) +
               ",\"used\":" + (s.used ? "1" : "0") + "}";
    }
    out += "]}\n";
    return out;
}

}  // namespace

int runNmea(const std::vector<std::string>& args) {
    std::string file;
    bool haveFile = false;
    bool every = false;
    int16_t timeSource = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string source;
        if (arg == "--every") {
            every = true;
            continue;
        }
        if (arg == "--time-source") {
            if (i + 1 >= args.size()) {
                return usage("--time-source needs a value: gga, rmc or zda");
            }
            source = args[++i];
        } else if (arg.rfind("--time-source=", 0) == 0) {
            source = arg.substr(std::strlen("--time-source="));
        } else if (arg == "-h" || arg == "--help") {
            std::printf("usage: horalux-diag nmea [FILE] [--time-source gga|rmc|zda] [--every]\n");
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage(("unknown option '" + arg + "'").c_str());
        } else {
            if (haveFile) {
                return usage("only one FILE may be given");
            }
            file = arg;
            haveFile = true;
            continue;
        }
        const std::optional<int16_t> named = TimeSourceNamed(source);
        if (!named) {
            return usage(("unknown time source '" + source + "' (gga, rmc or zda)").c_str());
        }
        timeSource = *named;
    }

    int fd = STDIN_FILENO;
    if (haveFile && file != "-") {
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "horalux-diag nmea: cannot open %s: %s\n", file.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    GpsState gps;
    gps.timeSource = timeSource;
    SkyView sky;
    NmeaParser parser(gps, &sky);
    UnusedClock clock;
    NmeaReader reader(gps, parser, clock);

    uint8_t buffer[4096];
    std::string address;  // with --every: the address of the sentence being framed
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            std::fprintf(stderr, "horalux-diag nmea: read error on %s: %s\n",
                         haveFile ? file.c_str() : "standard input", std::strerror(errno));
            if (fd != STDIN_FILENO) {
                ::close(fd);
            }
            return 1;
        }
        if (n == 0) {
            break;
        }
        if (!every) {
            reader.Feed(buffer, static_cast<size_t>(n));
            continue;
        }
        // Byte by byte, so that each dispatch is seen; the address is the text from the '$'
        // that started the sentence (the reader's move from hunting to the address) to its comma.
        for (ssize_t i = 0; i < n; ++i) {
            const int before = gps.sentenceCount;
            const int stateBefore = gps.readerState;
            reader.Feed(buffer + i, 1);
            if (gps.readerState == 2 && stateBefore != 2) {
                address.clear();
            } else if (gps.readerState == 2) {
                address += static_cast<char>(buffer[i]);
            }
            if (gps.sentenceCount != before) {
                std::fputs(toJson(gps, sky, &address).c_str(), stdout);
                std::fflush(stdout);
            }
        }
    }
    if (fd != STDIN_FILENO) {
        ::close(fd);
    }
    if (!every) {
        std::fputs(toJson(gps, sky).c_str(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace horalux::diag
