#pragma once

#include <cstdint>

namespace horalux {

// The platform's time record: every field 16 bits, as the clock is read and set through it.
// dayOfWeek counts from 0 = Sunday.
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// True when every field lies in its calendar range (the day of week is not checked): the test
// the platform applies before it sets the clock.
bool isValidSystemTime(const SystemTime& t);

// Milliseconds since 1970-01-01 00:00:00 UTC for a UTC record (proleptic Gregorian calendar).
int64_t toUnixMillis(const SystemTime& utc);

// The UTC record of a moment given in milliseconds since 1970, day of week filled in.
SystemTime utcFromUnixMillis(int64_t millis);

// The local-time record of a moment, in the process's time zone (TZ).
SystemTime localFromUnixMillis(int64_t millis);

}  // namespace horalux
