#include "app/chrony_state_line.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace horalux {

namespace {

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        out.push_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return out;
        }
        start = comma + 1;
    }
}

template <class T>
bool number(std::string_view text, T& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool decimal(std::string_view text, double& value) {
    // from_chars for doubles needs GCC 11; strtod on a copy reads the same text.
    const std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return !copy.empty() && end == copy.c_str() + copy.size() && std::isfinite(value);
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (text.front() == '\n' || text.front() == ' ')) {
        text.remove_prefix(1);
    }
    return std::string(text);
}

// The first line of chronyc's complaint, e.g. "501 Not authorised".
std::string firstLine(const ChronycResult& result) {
    const std::string text = trimmed(result.err.empty() ? result.out : result.err);
    return text.substr(0, text.find('\n'));
}

const char* stateWords(char state) {
    switch (state) {
        case '*':
            return "selected";
        case '+':
            return "combined with the other sources";
        case '-':
            return "not combined";
        case 'x':
            return "a falseticker";
        case '~':
            return "too variable";
        default:
            return "not reachable";
    }
}

std::string milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.3f ms", seconds * 1000.0);
    return text;
}

const ChronySource* feedSource(const std::vector<ChronySource>& sources, int unit) {
    const ChronySource* only = nullptr;
    int refclocks = 0;
    for (const ChronySource& source : sources) {
        if (source.mode != '#') {
            continue;
        }
        if (source.name == "GPS" || source.name == "SHM" + std::to_string(unit)) {
            return &source;
        }
        only = &source;
        ++refclocks;
    }
    return refclocks == 1 ? only : nullptr;
}

}  // namespace

std::optional<std::vector<ChronySource>> ParseChronySources(std::string_view csv) {
    std::vector<ChronySource> sources;
    while (!csv.empty()) {
        const size_t end = csv.find('\n');
        std::string_view line = csv.substr(0, end);
        csv = end == std::string_view::npos ? std::string_view() : csv.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        const std::vector<std::string_view> f = fields(line);
        ChronySource s;
        if (f.size() != 10 || f[0].size() != 1 || f[1].size() != 1 || f[2].empty() ||
            !number(f[3], s.stratum) || !number(f[4], s.poll) || f[5].empty() ||
            !number(f[6], s.lastRx) || !decimal(f[7], s.adjustedOffset) ||
            !decimal(f[8], s.measuredOffset) || !decimal(f[9], s.error)) {
            return std::nullopt;
        }
        s.mode = f[0][0];
        s.state = f[1][0];
        s.name = std::string(f[2]);
        // chronyc's CSV gives reach as the octal digits of its table.
        int reach = 0;
        for (const char c : f[5]) {
            if (c < '0' || c > '7') {
                return std::nullopt;
            }
            reach = reach * 8 + (c - '0');
        }
        s.reach = reach;
        sources.push_back(std::move(s));
    }
    return sources;
}

std::string ChronyStateLine(const ChronycResult& result, const ChronyFeed::Status& feed) {
    const std::string segment = "SHM " + std::to_string(feed.unit);
    const std::string example =
        " Its refclock line is in /usr/share/doc/horalux/examples/horalux-chrony.conf.";
    if (!feed.error.empty()) {
        return "Horalux cannot hand GPS time to chronyd (" + segment + "): " + feed.error + "." +
               example;
    }
    if (!result.started) {
        return "chronyc is not installed: chronyd's state cannot be shown. GPS time goes to " +
               segment + ".";
    }
    if (!result.finished) {
        return "chronyd did not answer chronyc in time: its state cannot be shown.";
    }
    const std::string complaint = firstLine(result);
    if (result.exitCode != 0) {
        if (complaint.find("506") != std::string::npos ||
            complaint.find("Could not open") != std::string::npos ||
            complaint.find("Cannot talk") != std::string::npos) {
            return "chronyd is not running: nothing takes the GPS time Horalux offers on " +
                   segment + ", and nothing sets the clock." + example;
        }
        return "chronyd refuses chronyc's request (" +
               (complaint.empty() ? "exit " + std::to_string(result.exitCode) : complaint) +
               "): its state cannot be shown.";
    }
    const std::optional<std::vector<ChronySource>> sources = ParseChronySources(result.out);
    if (!sources) {
        return "chronyd's answer could not be read: " + firstLine(result);
    }
    const ChronySource* source = feedSource(*sources, feed.unit);
    if (feed.otherAttached == 0 || (feed.otherAttached < 0 && source == nullptr)) {
        return "chronyd is running but does not read the GPS time Horalux offers on " + segment +
               "." + example;
    }
    std::string line = "chronyd reads the GPS time of " + segment;
    if (source == nullptr) {
        line += ", which it does not list as a source yet.";
    } else if (source->reach == 0) {
        line += " (source " + source->name + "): no sample yet.";
    } else {
        line += " (source " + source->name + "): " + stateWords(source->state) + ", offset " +
                milliseconds(source->adjustedOffset) + ".";
    }
    if (!feed.locked) {
        line += " GPS time is not locked: Horalux offers none now.";
    }
    return line;
}

}  // namespace horalux
