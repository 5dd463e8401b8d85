#include "gps/nmea_parser.h"

#include <locale.h>
#include <stdlib.h>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

namespace horalux {

namespace {

constexpr double kOneSixtieth = 0.016666666666666666;

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The C runtime's atoi, without its undefined behaviour on overflow: blanks, an optional sign,
// the leading digits, 0 when there are none. The value is accumulated in 64 bits (saturating)
// and then kept to its low 32 bits, as glibc's atoi does with (int)strtol.
int toInt(const char* s) {
    while (isSpace(*s)) {
        ++s;
    }
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    uint64_t value = 0;
    constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    while (*s >= '0' && *s <= '9') {
        value = value * 10 + static_cast<uint64_t>(*s - '0');
        if (value > kLimit) {
            value = kLimit;
        }
        ++s;
    }
    const int64_t wide = negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(wide)));
}

// The C runtime's atof as in the "C" locale. The desktop program runs in the user's locale (Qt
// sets it at start-up), where atof would stop at the '.' of "545.4" when the locale's decimal
// separator is ',': NMEA numbers always use '.'.
double toReal(const char* s) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtod_l(s, nullptr, cLocale);
}

// The integer formed by up to `count` characters of s starting at `from` (0 when s is shorter).
int toIntSlice(const char* s, size_t from, size_t count) {
    const size_t length = std::strlen(s);
    if (from >= length) {
        return 0;
    }
    char part[NmeaParser::kFieldSize] = {};
    const size_t n = std::min(count, length - from);
    std::memcpy(part, s + from, n);
    return toInt(part);
}

// Latitude (degreeDigits 2) or longitude (3): the first characters as whole degrees plus the
// rest of the field as minutes times one sixtieth.
double toDegrees(const char* field, size_t degreeDigits) {
    const int degrees = toIntSlice(field, 0, degreeDigits);
    const double minutes = std::strlen(field) > degreeDigits ? toReal(field + degreeDigits) : 0.0;
    return degrees + minutes * kOneSixtieth;
}

}  // namespace

NmeaParser::NmeaParser(GpsState& gps, SkyView* sky) : gps_(gps), sky_(sky) {}

int NmeaParser::GetField(const char* data, char* out, int fieldNumber) {
    const char* p = data;
    for (int i = 0; i < fieldNumber; ++i) {
        const char* comma = std::strchr(p, ',');
        if (comma == nullptr) {
            out[0] = '\0';
            return -1;
        }
        p = comma + 1;
    }
    if (*p == ',' || *p == '*' || *p == '\0') {
        out[0] = '\0';
        return -1;
    }
    int n = 0;
    while (p[n] != ',' && p[n] != '\0') {
        if (n < kFieldSize - 1) {
            out[n] = p[n];
        }
        ++n;
    }
    out[std::min(n, kFieldSize - 1)] = '\0';
    return 0;
}

namespace {

// The time field rule: hhmmss[.fff] into hour, minute, second, stored in that order.
void storeTime(GpsState& gps, const char* field) {
    gps.utcHour = toIntSlice(field, 0, 2);
    gps.utcMinute = toIntSlice(field, 2, 2);
    gps.utcSecond = toIntSlice(field, 4, 2);
}

// Fields `first` (coordinate) and first+1 (hemisphere) into latitude and longitude.
void storeLatitude(GpsState& gps, const char* data, int first) {
    char field[NmeaParser::kFieldSize];
    NmeaParser::GetField(data, field, first);
    if (field[0] == '\0') {
        return;
    }
    gps.latitude = toDegrees(field, 2);
    NmeaParser::GetField(data, field, first + 1);
    if (field[0] == 'S') {
        gps.latitude = -gps.latitude;
    }
}

void storeLongitude(GpsState& gps, const char* data, int first) {
    char field[NmeaParser::kFieldSize];
    NmeaParser::GetField(data, field, first);
    if (field[0] == '\0') {
        return;
    }
    gps.longitude = toDegrees(field, 3);
    NmeaParser::GetField(data, field, first + 1);
    if (field[0] == 'W') {
        gps.longitude = -gps.longitude;
    }
}

}  // namespace

void NmeaParser::Dispatch(const char* address, const char* data, int64_t arrivalNs) {
    const char* type = std::strlen(address) >= 3 ? address + 2 : "";
    bool gsa = false;
    bool newGsaRun = false;
    bool gsv = false;
    timeStored_ = false;
    {
        std::lock_guard lock(gps_.publishMutex());
        if (std::strcmp(type, "GGA") == 0) {
            DecodeGga(data);
        } else if (std::strcmp(type, "GSA") == 0) {
            newGsaRun = GsaStartsNewRun();
            DecodeGsa(data);
            gsa = true;
        } else if (std::strcmp(type, "GSV") == 0) {
            DecodeGsv(data);
            gsv = true;
        } else if (std::strcmp(type, "RMC") == 0) {
            DecodeRmc(data);
        } else if (std::strcmp(type, "ZDA") == 0) {
            DecodeZda(data);
        }
        // Any other sentence ends a run of GSA sentences.
        gsaRunOpen_ = gsa;
        if (timeStored_) {
            gps_.RecordTimeArrivalLocked(arrivalNs);
        }
    }
    if (timeStored_) {
        gps_.NotifyTimeChanged();
    }
    if (sky_ != nullptr && (gsa || gsv)) {
        const char talker[3] = {address[0], address[1], '\0'};
        if (gsa) {
            NoteGsaInView(talker, data, newGsaRun);
        } else {
            NoteGsvInView(talker, data);
        }
    }
    gps_.idleSeconds = 0;
    gps_.stale = 0;
}

void NmeaParser::DecodeGga(const char* data) {
    char field[kFieldSize];
    GetField(data, field, 0);
    if (field[0] != '\0' && gps_.timeSource == 0) {
        storeTime(gps_, field);
        timeStored_ = true;
    }
    storeLatitude(gps_, data, 1);
    storeLongitude(gps_, data, 3);
    GetField(data, field, 5);
    if (field[0] != '\0') {
        gps_.fixQuality = toInt(field);
    }
    GetField(data, field, 8);
    if (field[0] != '\0') {
        gps_.altitude = toReal(field);
    }
}

void NmeaParser::DecodeGsa(const char* data) {
    char field[kFieldSize];
    if (GsaStartsNewRun()) {
        runCount_ = 0;
        gps_.usedInFix.fill(0);
    }
    // NMEA 4.10 and later add the GNSS system id after the three dilutions; constellations
    // number their satellites independently, so the id is part of a satellite's identity.
    GetField(data, field, 17);
    const uint32_t system = field[0] != '\0' ? static_cast<uint16_t>(toInt(field)) : 0u;
    for (int i = 2; i <= 13; ++i) {
        GetField(data, field, i);
        const auto prn = static_cast<uint16_t>(toInt(field));
        if (prn == 0) {
            continue;
        }
        const uint32_t key = system << 16 | prn;
        const uint32_t* begin = runSatellites_;
        const uint32_t* end = begin + runCount_;
        if (std::find(begin, end, key) == end && runCount_ < kMaxRunSatellites) {
            runSatellites_[runCount_++] = key;
        }
        if (prn <= 32) {
            gps_.usedInFix[prn] = 1;
        }
    }
    gps_.satellitesUsed = static_cast<uint16_t>(runCount_);
    gsaRunOpen_ = true;
}

// A new run after any other sentence, or when the record was reset since the last GSA.
bool NmeaParser::GsaStartsNewRun() const {
    return !gsaRunOpen_ || gps_.satellitesUsed != runCount_;
}

void NmeaParser::NoteGsaInView(const char* talker, const char* data, bool newRun) {
    if (newRun) {
        sky_->BeginGsaRun();
    }
    char field[kFieldSize];
    // The system id says whose numbers these are; without one the talker does, unless it is the
    // combined GN, whose numbers the view then matches as sent.
    GetField(data, field, 17);
    std::optional<GnssSource> source =
        field[0] != '\0' ? SourceOfSystemId(toInt(field)) : std::nullopt;
    if (!source) {
        source = SourceOfTalker(talker);
    }
    for (int i = 2; i <= 13; ++i) {
        GetField(data, field, i);
        const int number = toInt(field);
        if (source && *source != GnssSource::Combined) {
            sky_->MarkUsed(*source, number);
        } else {
            sky_->MarkUsedNumber(number);
        }
    }
}

void NmeaParser::NoteGsvInView(const char* talker, const char* data) {
    char field[kFieldSize];
    // Message count, message number and satellites in view, four fields per satellite (as many
    // satellites as the sentence has fields for, at most four), then from NMEA 4.10 on the
    // signal id, and in some receivers' own GSV (PQGSV) a system id after it.
    const size_t length = std::strlen(data);
    const int fields = 1 + static_cast<int>(std::count(data, data + length, ','));
    const int rest = fields - 3;
    if (rest < 0) {
        return;
    }
    GsvMessage message;
    message.satelliteCount = std::min(4, rest / 4);
    const int extra = 3 + 4 * message.satelliteCount;

    std::optional<GnssSource> source;
    if (rest > 4 * message.satelliteCount) {
        GetField(data, field, extra);
        if (field[0] != '\0') {
            // One hexadecimal digit; anything else makes the sentence unreadable for the view.
            const auto [end, error] = std::from_chars(field, field + 1, message.signal, 16);
            if (error != std::errc() || end != field + 1 || field[1] != '\0') {
                return;
            }
        }
    }
    if (rest > 4 * message.satelliteCount + 1) {
        GetField(data, field, extra + 1);
        if (field[0] != '\0') {
            source = SourceOfSystemId(toInt(field));
        }
    }
    if (!source) {
        source = SourceOfTalker(talker);
    }
    if (!source) {
        return;
    }
    message.source = *source;

    GetField(data, field, 0);
    message.messageCount = toInt(field);
    GetField(data, field, 1);
    message.messageNumber = toInt(field);
    int kept = 0;
    for (int k = 0; k < message.satelliteCount; ++k) {
        GetField(data, field, 3 + 4 * k);
        if (field[0] == '\0') {
            continue;  // an empty slot (receivers pad their last message so)
        }
        GsvMessage::Satellite& s = message.satellites[static_cast<size_t>(kept++)];
        s.number = toInt(field);
        GetField(data, field, 4 + 4 * k);
        s.elevation = toInt(field);
        GetField(data, field, 5 + 4 * k);
        s.azimuth = toInt(field);
        GetField(data, field, 6 + 4 * k);
        s.snr = toInt(field);
    }
    message.satelliteCount = kept;
    sky_->AddGsvMessage(message);
}

void NmeaParser::DecodeGsv(const char* data) {
    char field[kFieldSize];
    // Message number 1 to 8 gives the table group (message 1 -> index 0). A message number that
    // is empty, is not a single digit 1 to 8 (10 and up lie beyond the 32-entry tables and
    // would otherwise overwrite message 1) drops the whole sentence.
    GetField(data, field, 1);
    if (field[0] < '1' || field[0] > '8' || field[1] != '\0') {
        return;
    }
    const int m = field[0] - '1';

    struct Slot {
        int prn, elevation, azimuth, snr;
    };
    Slot slots[4];
    for (int k = 0; k < 4; ++k) {
        GetField(data, field, 3 + 4 * k);
        int prn = toInt(field);
        // A negative PRN drops the sentence (nothing is written), so no index goes below 0.
        if (prn < 0) {
            return;
        }
        slots[k].prn = prn > 32 ? 32 : prn;
        GetField(data, field, 4 + 4 * k);
        slots[k].elevation = toInt(field);
        GetField(data, field, 5 + 4 * k);
        slots[k].azimuth = toInt(field);
        GetField(data, field, 6 + 4 * k);
        slots[k].snr = toInt(field);
    }

    GetField(data, field, 2);
    if (field[0] != '\0') {
        gps_.satellitesInView = toInt(field);
    }
    for (int k = 0; k < 4; ++k) {
        const Slot& s = slots[k];
        const int used = gps_.usedInFix[static_cast<size_t>(s.prn)];
        const auto index = static_cast<size_t>(4 * m + k);
        gps_.satellites[index] = {s.prn, s.azimuth, s.elevation, used, s.snr};
        gps_.signals[index] = {s.prn, s.snr, used};
    }
    ++gps_.gsvSentenceCount;
}

void NmeaParser::DecodeRmc(const char* data) {
    char field[kFieldSize];
    GetField(data, field, 0);
    if (field[0] != '\0' && gps_.timeSource == 1) {
        storeTime(gps_, field);
        timeStored_ = true;
    }
    storeLatitude(gps_, data, 2);
    storeLongitude(gps_, data, 4);
}

void NmeaParser::DecodeZda(const char* data) {
    if (gps_.timeSource != 2) {
        return;
    }
    char field[kFieldSize];
    gps_.zdaDateValid = 1;
    GetField(data, field, 0);
    if (field[0] != '\0') {
        storeTime(gps_, field);
        timeStored_ = true;
    }
    GetField(data, field, 1);
    gps_.zdaDay = static_cast<uint8_t>(field[0] != '\0' ? toInt(field) : 0);
    GetField(data, field, 2);
    gps_.zdaMonth = static_cast<uint8_t>(field[0] != '\0' ? toInt(field) : 0);
    GetField(data, field, 3);
    gps_.zdaYear = static_cast<uint16_t>(field[0] != '\0' ? toInt(field) : 0);
}

}  // namespace horalux
