#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "platform/system_time.h"
#include "sync/ntp_timestamp.h"

namespace horalux {
namespace {

constexpr int64_t kMillisPerDay = 86400000;
constexpr NtpTimestamp kSecond = NtpTimestamp{1} << 32;

NtpTimestamp ntp(uint32_t seconds, uint32_t fraction) {
    return (NtpTimestamp{seconds} << 32) | fraction;
}

TEST(NtpTimestampTest, ConvertsKnownDatesBothWays) {
    EXPECT_EQ(toNtpTimestamp({2001, 1, 0, 1, 0, 0, 0, 0}), ntp(3187296000u, 0));
    const SystemTime back = fromNtpTimestamp(ntp(3187296000u, 0));
    EXPECT_EQ(back, (SystemTime{2001, 1, 1, 1, 0, 0, 0, 0}));  // a Monday
    EXPECT_EQ(toNtpTimestamp({1900, 1, 0, 1, 0, 0, 0, 500}), ntp(0, 2147483648u));
    // The Unix epoch, and the last second of the first era.
    EXPECT_EQ(toNtpTimestamp({1970, 1, 0, 1, 0, 0, 0, 0}), ntp(2208988800u, 0));
    EXPECT_EQ(toNtpTimestamp({2036, 2, 0, 7, 6, 28, 15, 0}), ntp(0xFFFFFFFFu, 0));
    EXPECT_EQ(fromNtpTimestamp(ntp(2208988800u, 0)), (SystemTime{1970, 1, 4, 1, 0, 0, 0, 0}));
}

TEST(NtpTimestampTest, MillisecondFractionsFollowTheTable) {
    EXPECT_EQ(ntpFractionOfMillis(0), 0u);
    EXPECT_EQ(ntpFractionOfMillis(1), 4294967u);
    EXPECT_EQ(ntpFractionOfMillis(500), 2147483648u);
    EXPECT_EQ(ntpFractionOfMillis(999), 4290672329u);
    // Out of range never reads past the table.
    EXPECT_EQ(ntpFractionOfMillis(1000), 4290672329u);
    EXPECT_EQ(ntpFractionOfMillis(-1), 0u);
    for (int ms = 0; ms < 1000; ++ms) {
        const SystemTime t{2020, 6, 0, 15, 12, 0, 0, static_cast<uint16_t>(ms)};
        ASSERT_EQ(fromNtpTimestamp(toNtpTimestamp(t)).milliseconds, ms);
    }
}

TEST(NtpTimestampTest, SecondsAfter2036CountFromTheNextEra) {
    // 2036-02-07 06:28:16 UTC is where the seconds field wraps to 0.
    EXPECT_EQ(toNtpTimestamp({2036, 2, 0, 7, 6, 28, 16, 0}), ntp(0, 0));
    EXPECT_EQ(fromNtpTimestamp(ntp(0, 0)), (SystemTime{2036, 2, 4, 7, 6, 28, 16, 0}));
    EXPECT_EQ(fromNtpTimestamp(ntp(0x7FFFFFFFu, 0)), (SystemTime{2104, 2, 2, 26, 9, 42, 23, 0}));
    // The top bit set: the first era, back to 1968.
    EXPECT_EQ(fromNtpTimestamp(ntp(0x80000000u, 0)), (SystemTime{1968, 1, 6, 20, 3, 14, 8, 0}));
    // A year 2040 date survives the round trip instead of coming back as 1904.
    const SystemTime y2040{2040, 7, 0, 1, 12, 34, 56, 789};
    SystemTime expected = y2040;
    expected.dayOfWeek = 0;  // a Sunday
    EXPECT_EQ(fromNtpTimestamp(toNtpTimestamp(y2040)), expected);
}

TEST(NtpTimestampTest, MillisecondsThatRoundTo1000CarryIntoTheDate) {
    EXPECT_EQ(
        fromNtpTimestamp(ntp(toNtpTimestamp({1999, 12, 0, 31, 23, 59, 59, 0}) >> 32, 0xFFFFFFFFu)),
        (SystemTime{2000, 1, 6, 1, 0, 0, 0, 0}));
    EXPECT_EQ(fromNtpTimestamp(ntp(0xFFFFFFFFu, 0xFFFFFFFFu)),  // and across the era change
              (SystemTime{2036, 2, 4, 7, 6, 28, 16, 0}));
    // Just below the carry, 999.5 ms rounds to 1000 and carries; 999.4 stays 999.
    EXPECT_EQ(fromNtpTimestamp(ntp(3187296000u, 4292819813u)).second, 1);
    EXPECT_EQ(fromNtpTimestamp(ntp(3187296000u, 4292390316u)).milliseconds, 999);
}

// Every day from 1968 to 2104 at a few times, and random milliseconds, against the platform's
// own calendar.
TEST(NtpTimestampTest, RoundTripsEveryDayFrom1968To2104) {
    const int64_t first = toUnixMillis({1968, 1, 0, 21, 0, 0, 0, 0});
    const int64_t last = toUnixMillis({2104, 2, 0, 25, 0, 0, 0, 0});
    std::mt19937 random(20010318);
    std::uniform_int_distribution<int64_t> within(0, kMillisPerDay - 1);
    const int64_t times[] = {0, 1, 12 * 3600000 + 345, kMillisPerDay - 1};
    int checked = 0;
    for (int64_t day = first; day <= last; day += kMillisPerDay) {
        for (const int64_t time : {times[0], times[1], times[2], times[3], within(random)}) {
            const SystemTime t = utcFromUnixMillis(day + time);
            const NtpTimestamp ts = toNtpTimestamp(t);
            ASSERT_EQ(fromNtpTimestamp(ts), t) << toUnixMillis(t);
            // Consecutive moments give consecutive timestamps within one era.
            const int64_t millis = day + time;
            const int64_t unixSeconds = millis / 1000 - (millis % 1000 < 0 ? 1 : 0);
            const int64_t secondsSince1900 = unixSeconds + 2208988800;
            ASSERT_EQ(ts >> 32, static_cast<uint64_t>(secondsSince1900) & 0xFFFFFFFFu);
            ++checked;
        }
    }
    EXPECT_GT(checked, 49000 * 5);
}

TEST(NtpTimestampTest, DifferencesKeepTheirSign) {
    const NtpTimestamp t = ntp(3187296000u, 0);
    EXPECT_DOUBLE_EQ(ntpDifference(t + 10 * kSecond, t), 10.0);
    EXPECT_DOUBLE_EQ(ntpDifference(t, t + 10 * kSecond), -10.0);
    EXPECT_DOUBLE_EQ(ntpDifference(t, t), 0.0);
    EXPECT_NEAR(ntpDifference(t + kSecond / 2, t), 0.5, 1e-9);
    EXPECT_NEAR(ntpDifference(t, t + kSecond / 2), -0.5, 1e-9);
    // A fraction of a second either way: the half-second fraction comes out as 0.5 s.
    EXPECT_NEAR(ntpDifference(ntp(5, 0), ntp(4, 2147483648u)), 0.5, 1e-9);
    EXPECT_NEAR(ntpDifference(ntp(4, 2147483648u), ntp(5, 0)), -0.5, 1e-9);
    // Across the era change: one second, not minus 136 years.
    EXPECT_DOUBLE_EQ(ntpDifference(ntp(0, 0), ntp(0xFFFFFFFFu, 0)), 1.0);
    EXPECT_DOUBLE_EQ(ntpDifference(ntp(0xFFFFFFFFu, 0), ntp(0, 0)), -1.0);
}

TEST(NtpTimestampTest, OffsetsMoveATimestampEitherWay) {
    const NtpTimestamp t = ntp(3187296000u, 0);
    EXPECT_EQ(addNtpOffset(t, 10.0), t + 10 * kSecond);
    EXPECT_EQ(addNtpOffset(t, -10.0), t - 10 * kSecond);
    EXPECT_EQ(fromNtpTimestamp(addNtpOffset(t, -0.25)),
              (SystemTime{2000, 12, 0, 31, 23, 59, 59, 750}));
    EXPECT_EQ(fromNtpTimestamp(addNtpOffset(t, 3600.5)), (SystemTime{2001, 1, 1, 1, 1, 0, 0, 500}));
    EXPECT_EQ(fromNtpTimestamp(addNtpOffset(ntp(0xFFFFFFFFu, 0), 2.0)),
              (SystemTime{2036, 2, 4, 7, 6, 28, 17, 0}));
    EXPECT_NEAR(ntpDifference(addNtpOffset(t, -1234.567), t), -1234.567, 1e-6);
    EXPECT_EQ(addNtpOffset(t, std::numeric_limits<double>::quiet_NaN()), t);
}

TEST(NtpTimestampTest, PacketBytesAreBigEndianSecondsFirst) {
    uint8_t bytes[8];
    writeNtpTimestamp(bytes, ntp(0x01020304u, 0x05060708u));
    const uint8_t expected[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, std::memcmp(bytes, expected, 8));
    EXPECT_EQ(readNtpTimestamp(bytes), ntp(0x01020304u, 0x05060708u));
}

}  // namespace
}  // namespace horalux
