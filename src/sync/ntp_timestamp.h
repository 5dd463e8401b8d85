#pragma once

#include <cstdint>

#include "platform/system_time.h"

namespace horalux {

// An NTP timestamp as one number: whole seconds in the high 32 bits, the fraction of a second in
// units of 2^-32 s in the low 32 bits. The seconds count from 1900-01-01 00:00:00 UTC while their
// top bit is set, and from 2036-02-07 06:28:16 UTC (the start of the next era) while it is
// clear, so a timestamp names a moment from 1968-01-20 03:14:08 to 2104-02-26 09:42:23 UTC.
using NtpTimestamp = uint64_t;

// The fraction for a whole number of milliseconds: ms * 2^32 / 1000, rounded (0..999).
uint32_t ntpFractionOfMillis(int milliseconds);

// A UTC record as an NTP timestamp (dates after the 2036 era change wrap into the next era).
NtpTimestamp toNtpTimestamp(const SystemTime& utc);

// The UTC record of an NTP timestamp, milliseconds rounded (a fraction that rounds to 1000 ms
// carries into the next second), day of week filled in.
SystemTime fromNtpTimestamp(NtpTimestamp timestamp);

// a - b in seconds. The two are taken to lie within 68 years of each other, so the difference
// stays right across the 2036 era change.
double ntpDifference(NtpTimestamp a, NtpTimestamp b);

// The timestamp offsetSeconds later (earlier when negative).
NtpTimestamp addNtpOffset(NtpTimestamp timestamp, double offsetSeconds);

// The 8 bytes of a timestamp in a packet (network byte order, seconds first) and back.
NtpTimestamp readNtpTimestamp(const uint8_t* bytes);
void writeNtpTimestamp(uint8_t* bytes, NtpTimestamp timestamp);

}  // namespace horalux
