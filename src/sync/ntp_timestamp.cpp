#include "sync/ntp_timestamp.h"

#include <array>
#include <cmath>

namespace horalux {

namespace {

// One unit of the fraction as a part of a second (the fraction divided by 2^32 - 1).
constexpr double kSecondsPerFraction = 2.3283064370807974e-10;
constexpr double kMillisPerFraction = 2.3283064370807974e-07;
constexpr double kFractionPerSecond = 4294967295.0;

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kJulianDayOf1900 = 2415021;  // 1900-01-01
constexpr uint64_t kEraSeconds = uint64_t{1} << 32;

constexpr std::array<uint32_t, 1000> makeFractionTable() {
    std::array<uint32_t, 1000> table{};
    for (uint64_t ms = 0; ms < table.size(); ++ms) {
        table[ms] = static_cast<uint32_t>(((ms << 32) + 500) / 1000);
    }
    return table;
}

constexpr std::array<uint32_t, 1000> kFractionOfMillis = makeFractionTable();

// Days since 1900-01-01 by the Julian Day Number of a Gregorian date.
int64_t daysSince1900(int64_t year, int64_t month, int64_t day) {
    if (month > 2) {
        month -= 3;
    } else {
        month += 9;
        year -= 1;
    }
    const int64_t century = year / 100;
    const int64_t yearOfCentury = year - 100 * century;
    const int64_t julianDay =
        (146097 * century) / 4 + (1461 * yearOfCentury) / 4 + (153 * month + 2) / 5 + day + 1721119;
    return julianDay - kJulianDayOf1900;
}

}  // namespace

uint32_t ntpFractionOfMillis(int milliseconds) {
    if (milliseconds < 0) {
        return 0;
    }
    return kFractionOfMillis[milliseconds > 999 ? 999 : milliseconds];
}

NtpTimestamp toNtpTimestamp(const SystemTime& utc) {
    const int64_t days = daysSince1900(utc.year, utc.month, utc.day);
    const int64_t seconds = ((days * 24 + utc.hour) * 60 + utc.minute) * 60 + utc.second;
    // Only the low 32 bits are kept: a date in the next era wraps into it.
    const auto low = static_cast<uint32_t>(static_cast<uint64_t>(seconds));
    return (uint64_t{low} << 32) | ntpFractionOfMillis(utc.milliseconds);
}

SystemTime fromNtpTimestamp(NtpTimestamp timestamp) {
    const auto low = static_cast<uint32_t>(timestamp >> 32);
    uint64_t seconds = low;
    if ((low & 0x80000000u) == 0) {
        seconds += kEraSeconds;  // the next era, from 2036-02-07 06:28:16
    }
    const auto fraction = static_cast<uint32_t>(timestamp);
    auto milliseconds = static_cast<uint32_t>(fraction * kMillisPerFraction + 0.5);
    if (milliseconds >= 1000) {
        milliseconds = 0;
        seconds += 1;
    }

    SystemTime t;
    t.second = static_cast<uint16_t>(seconds % 60);
    t.minute = static_cast<uint16_t>((seconds / 60) % 60);
    t.hour = static_cast<uint16_t>((seconds / 3600) % 24);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    const auto julianDay = static_cast<int64_t>(seconds / kSecondsPerDay) + kJulianDayOf1900;
    t.dayOfWeek = static_cast<uint16_t>((julianDay + 1) % 7);

    // Calendar date from the Julian Day Number.
    int64_t x = 4 * (julianDay - 1721119) - 1;
    const int64_t century = x / 146097;
    int64_t d = (x - 146097 * century) / 4;
    x = 4 * d + 3;
    const int64_t y = x / 1461;
    d = (x - 1461 * y + 4) / 4;
    x = 5 * d - 3;
    const int64_t m = x / 153;
    t.day = static_cast<uint16_t>((x - 153 * m + 5) / 5);
    int64_t year = 100 * century + y;
    if (m < 10) {
        t.month = static_cast<uint16_t>(m + 3);
    } else {
        t.month = static_cast<uint16_t>(m - 9);
        year += 1;
    }
    t.year = static_cast<uint16_t>(year);
    return t;
}

double ntpDifference(NtpTimestamp a, NtpTimestamp b) {
    // Modulo 2^64 the shorter way round: a negative difference shows as a huge unsigned one.
    const uint64_t forward = a - b;
    const bool negative = (forward >> 63) != 0;
    const uint64_t d = negative ? b - a : forward;
    const double seconds =
        static_cast<double>(d >> 32) + static_cast<double>(d & 0xFFFFFFFFu) * kSecondsPerFraction;
    return negative ? -seconds : seconds;
}

NtpTimestamp addNtpOffset(NtpTimestamp timestamp, double offsetSeconds) {
    if (!std::isfinite(offsetSeconds)) {
        return timestamp;
    }
    const double magnitude = std::fabs(offsetSeconds);
    if (magnitude >= 2147483648.0) {
        return timestamp;  // more than half the span of the seconds field: no meaning
    }
    const double whole = std::trunc(magnitude);
    const uint64_t delta = (static_cast<uint64_t>(whole) << 32) +
                           static_cast<uint64_t>((magnitude - whole) * kFractionPerSecond);
    return offsetSeconds >= 0 ? timestamp + delta : timestamp - delta;
}

NtpTimestamp readNtpTimestamp(const uint8_t* bytes) {
    NtpTimestamp value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void writeNtpTimestamp(uint8_t* bytes, NtpTimestamp timestamp) {
    for (int i = 7; i >= 0; --i) {
        bytes[i] = static_cast<uint8_t>(timestamp);
        timestamp >>= 8;
    }
}

}  // namespace horalux
