#include "nmea_replay/nmea_replay_script.h"

#include <cstdio>

#include "gps/nmea_checksum.h"
#include "platform/system_time.h"

namespace horalux::replay {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return !text.empty();
}

// Writes value as `width` decimal digits at out[pos].
void putNumber(std::string& out, size_t pos, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[pos + static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

enum class Kind { Other, Gga, Rmc, Zda };

// The sentence type a framed sentence's address names (any two-character talker).
Kind kindOf(std::string_view sentence) {
    const size_t comma = sentence.find(',');
    if (sentence.empty() || sentence[0] != '$' || comma != 6) {
        return Kind::Other;
    }
    const std::string_view type = sentence.substr(3, 3);
    if (type == "GGA") {
        return Kind::Gga;
    }
    if (type == "RMC") {
        return Kind::Rmc;
    }
    if (type == "ZDA") {
        return Kind::Zda;
    }
    return Kind::Other;
}

// Where the fields of a sentence end: at "*", else at a final carriage return, else the end.
size_t bodyEnd(std::string_view sentence) {
    const size_t star = sentence.find('*');
    if (star != std::string_view::npos) {
        return star;
    }
    if (!sentence.empty() && sentence.back() == '\r') {
        return sentence.size() - 1;
    }
    return sentence.size();
}

struct Field {
    size_t offset;
    size_t length;
};

// The data fields (after the address) of a sentence, by position in the sentence.
std::vector<Field> fieldsOf(std::string_view sentence) {
    std::vector<Field> fields;
    const size_t end = bodyEnd(sentence);
    size_t pos = sentence.find(',');
    if (pos == std::string_view::npos || pos >= end) {
        return fields;
    }
    ++pos;
    for (;;) {
        size_t comma = sentence.find(',', pos);
        if (comma == std::string_view::npos || comma > end) {
            comma = end;
        }
        fields.push_back({pos, comma - pos});
        if (comma == end) {
            break;
        }
        pos = comma + 1;
    }
    return fields;
}

// The hhmmss of a GGA, RMC or ZDA sentence, or empty when it has none in that form.
std::string timeKey(std::string_view sentence) {
    if (kindOf(sentence) == Kind::Other) {
        return {};
    }
    const std::vector<Field> fields = fieldsOf(sentence);
    if (fields.empty() || fields[0].length < 6) {
        return {};
    }
    const std::string_view time = sentence.substr(fields[0].offset, 6);
    return allDigits(time) ? std::string(time) : std::string();
}

}  // namespace

UtcSecond utcSecondFromUnix(int64_t unixSecond) {
    const SystemTime t = utcFromUnixMillis(unixSecond * 1000);
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

std::string restampSentence(std::string_view sentence, const UtcSecond& at) {
    std::string out(sentence);
    const Kind kind = kindOf(sentence);
    if (kind == Kind::Other) {
        return out;
    }
    const std::vector<Field> fields = fieldsOf(sentence);
    auto field = [&](size_t i) -> std::string_view {
        return i < fields.size() ? sentence.substr(fields[i].offset, fields[i].length)
                                 : std::string_view();
    };

    // Time: hhmmss, then any fraction set to zero digit by digit.
    const std::string_view time = field(0);
    if (time.size() >= 6 && allDigits(time.substr(0, 6))) {
        const size_t pos = fields[0].offset;
        putNumber(out, pos, at.hour, 2);
        putNumber(out, pos + 2, at.minute, 2);
        putNumber(out, pos + 4, at.second, 2);
        if (time.size() > 6 && time[6] == '.') {
            for (size_t i = 7; i < time.size() && isDigit(time[i]); ++i) {
                out[pos + i] = '0';
            }
        }
    }
    if (kind == Kind::Rmc && field(8).size() == 6 && allDigits(field(8))) {
        const size_t pos = fields[8].offset;
        putNumber(out, pos, at.day, 2);
        putNumber(out, pos + 2, at.month, 2);
        putNumber(out, pos + 4, at.year % 100, 2);
    }
    if (kind == Kind::Zda) {
        if (field(1).size() == 2 && allDigits(field(1))) {
            putNumber(out, fields[1].offset, at.day, 2);
        }
        if (field(2).size() == 2 && allDigits(field(2))) {
            putNumber(out, fields[2].offset, at.month, 2);
        }
        if (field(3).size() == 4 && allDigits(field(3))) {
            putNumber(out, fields[3].offset, at.year, 4);
        }
    }

    // Checksum: right stays right, wrong stays wrong, none stays none.
    const size_t star = sentence.find('*');
    if (star != std::string_view::npos && star + 2 < sentence.size()) {
        const int high = nmeaHexDigit(sentence[star + 1]);
        const int low = nmeaHexDigit(sentence[star + 2]);
        if (high >= 0 && low >= 0) {
            const uint8_t given = static_cast<uint8_t>(high * 16 + low);
            const uint8_t before = nmeaChecksum(sentence.substr(1, star - 1));
            const uint8_t after = nmeaChecksum(std::string_view(out).substr(1, star - 1));
            const uint8_t value = static_cast<uint8_t>(after ^ given ^ before);
            const bool lower = (sentence[star + 1] >= 'a' && sentence[star + 1] <= 'f') ||
                               (sentence[star + 2] >= 'a' && sentence[star + 2] <= 'f');
            const char* digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
            out[star + 1] = digits[value >> 4];
            out[star + 2] = digits[value & 0x0F];
        }
    }
    return out;
}

NmeaReplayScript NmeaReplayScript::fromLog(std::string_view log) {
    // Keep the lines that begin with "$", with their line endings.
    std::string stream;
    for (size_t pos = 0; pos < log.size();) {
        const size_t newline = log.find('\n', pos);
        const size_t end = newline == std::string_view::npos ? log.size() : newline + 1;
        if (log[pos] == '$') {
            stream.append(log.substr(pos, end - pos));
        }
        pos = end;
    }

    // Frame it as the sentence reader does and note where bursts start.
    constexpr size_t kAddressAbandon = 7;
    constexpr size_t kDataAbandon = 250;
    std::vector<Span> timed;
    std::vector<size_t> cuts{0};
    std::string lastKey;
    auto finish = [&](size_t start, size_t end) {
        const std::string_view sentence = std::string_view(stream).substr(start, end - start);
        if (kindOf(sentence) == Kind::Other) {
            return;
        }
        timed.push_back({start, end - start});
        const std::string key = timeKey(sentence);
        if (key.empty()) {
            return;
        }
        if (!lastKey.empty() && key != lastKey && start > cuts.back()) {
            cuts.push_back(start);
        }
        lastKey = key;
    };
    int state = 1;
    size_t start = 0;
    size_t length = 0;
    for (size_t i = 0; i < stream.size(); ++i) {
        const char c = stream[i];
        switch (state) {
            case 1:
                if (c == '$') {
                    start = i;
                    length = 0;
                    state = 2;
                }
                break;
            case 2:
                if (c == ',') {
                    length = 0;
                    state = 3;
                } else if (++length >= kAddressAbandon) {
                    state = 1;
                }
                break;
            case 3:
                if (c == '*') {
                    state = 4;
                } else if (c == '\r') {
                    finish(start, i + 1);
                    state = 1;
                } else if (++length >= kDataAbandon) {
                    state = 1;
                }
                break;
            case 4:
                state = 5;
                break;
            default:
                finish(start, i + 1);
                state = 1;
                break;
        }
    }

    NmeaReplayScript script;
    if (stream.empty()) {
        return script;
    }
    cuts.push_back(stream.size());
    size_t next = 0;
    for (size_t b = 0; b + 1 < cuts.size(); ++b) {
        Burst burst;
        burst.text = stream.substr(cuts[b], cuts[b + 1] - cuts[b]);
        for (; next < timed.size() && timed[next].offset < cuts[b + 1]; ++next) {
            burst.timed.push_back({timed[next].offset - cuts[b], timed[next].length});
        }
        script.bursts_.push_back(std::move(burst));
    }
    return script;
}

std::string NmeaReplayScript::render(size_t i, const UtcSecond& at) const {
    const Burst& burst = bursts_.at(i);
    std::string out = burst.text;
    for (const Span& span : burst.timed) {
        const std::string stamped =
            restampSentence(std::string_view(burst.text).substr(span.offset, span.length), at);
        out.replace(span.offset, span.length, stamped);
    }
    return out;
}

std::vector<TimeSentenceEnd> TimeSentenceEnds(std::string_view burst) {
    std::vector<TimeSentenceEnd> ends;
    for (size_t start = burst.find('$'); start != std::string_view::npos;
         start = burst.find('$', start + 1)) {
        const size_t cr = burst.find('\r', start);
        const size_t star = burst.find('*', start);
        size_t end = std::string_view::npos;
        if (star != std::string_view::npos && (cr == std::string_view::npos || star < cr)) {
            end = star + 2 < burst.size() ? star + 2 : std::string_view::npos;
        } else {
            end = cr;
        }
        if (end == std::string_view::npos) {
            break;
        }
        const std::string_view sentence = burst.substr(start, end + 1 - start);
        switch (kindOf(sentence)) {
            case Kind::Gga:
                ends.push_back({end, "GGA"});
                break;
            case Kind::Rmc:
                ends.push_back({end, "RMC"});
                break;
            case Kind::Zda:
                ends.push_back({end, "ZDA"});
                break;
            case Kind::Other:
                break;
        }
    }
    return ends;
}

}  // namespace horalux::replay
