#include <gtest/gtest.h>

#include <chrono>

#include "platform/fake_system_clock.h"
#include "platform/fake_time_capability.h"
#include "sync/daytime_client.h"

namespace horalux {
namespace {

constexpr const char* kNistReply = "\n51986 01-03-18 19:53:17 00 0 0 725.6 UTC(NIST) *\n";

TEST(DaytimeReplyTest, ReadsTheNistFormat) {
    const auto reply = ParseDaytimeReply(kNistReply);
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, (DaytimeReply{2001, 3, 18, 19, 53, 17, 725.6}));
    // Without the line feeds, and with the reply cut after the advance.
    EXPECT_EQ(ParseDaytimeReply("51986 01-03-18 19:53:17 00 0 0 725.6"), reply);
    EXPECT_EQ(ParseDaytimeReply("60000 23-06-30 23:59:59 50 1 0 50.0 UTC(NIST) *\n")->second, 59);
}

TEST(DaytimeReplyTest, TwoDigitYearsBelow70AreThisCentury) {
    const auto year = [](const std::string& yy) {
        const auto reply =
            ParseDaytimeReply("51986 " + yy + "-03-18 19:53:17 00 0 0 1.0 UTC(NIST) *");
        return reply ? reply->year : -1;
    };
    EXPECT_EQ(year("01"), 2001);
    EXPECT_EQ(year("00"), 2000);
    EXPECT_EQ(year("69"), 2069);
    EXPECT_EQ(year("70"), 1970);
    EXPECT_EQ(year("99"), 1999);
    EXPECT_EQ(year("2024"), -1);  // not two digits: refused rather than read as year 3924
}

// Tokens are cut the way strtok cuts them: runs of a token's delimiter before it are skipped.
TEST(DaytimeReplyTest, SkipsRepeatedDelimitersLikeStrtok) {
    EXPECT_EQ(ParseDaytimeReply("51986   01-03-18  19:53:17   00 0 0   725.6"),
              (DaytimeReply{2001, 3, 18, 19, 53, 17, 725.6}));
    EXPECT_EQ(ParseDaytimeReply("51986 --01--03-18 ::19::53:17 00 0 0 725.6"),
              (DaytimeReply{2001, 3, 18, 19, 53, 17, 725.6}));
}

TEST(DaytimeReplyTest, AShortReplyGivesNothing) {
    EXPECT_FALSE(ParseDaytimeReply(""));
    EXPECT_FALSE(ParseDaytimeReply("\n"));
    EXPECT_FALSE(ParseDaytimeReply("\n51986 01-03-18 19:53:17"));  // cut off after the seconds
    EXPECT_FALSE(ParseDaytimeReply("\n51986 01-03-18 19:53:17 00 0 0"));
    EXPECT_FALSE(ParseDaytimeReply("\n51986 01-03-18 19:53:17 00 0 0 "));
    // Bytes after a NUL are not text.
    EXPECT_FALSE(ParseDaytimeReply(std::string_view("51986 01-03-18 19:53:17 00 0\0 0 725.6", 37)));
}

TEST(DaytimeReplyTest, RefusesFieldsOutsideTheCalendar) {
    for (const char* bad : {
             "51986 01-13-18 19:53:17 00 0 0 725.6",  // month 13
             "51986 01-00-18 19:53:17 00 0 0 725.6",  // month 0
             "51986 01-03-00 19:53:17 00 0 0 725.6",  // day 0
             "51986 01-02-29 19:53:17 00 0 0 725.6",  // 2001 is no leap year
             "51986 01-04-31 19:53:17 00 0 0 725.6",
             "51986 01-03-18 25:53:17 00 0 0 725.6",  // hour 25
             "51986 01-03-18 24:00:00 00 0 0 725.6",
             "51986 01-03-18 19:60:17 00 0 0 725.6",
             "51986 01-03-18 19:53:60 00 0 0 725.6",  // a leap second cannot be set
             "51986 01-03-18 19:53:-1 00 0 0 725.6",
         }) {
        EXPECT_FALSE(ParseDaytimeReply(bad)) << bad;
    }
    EXPECT_TRUE(ParseDaytimeReply("51986 00-02-29 19:53:17 00 0 0 725.6"));  // 2000 is
}

TEST(DaytimeReplyTest, RefusesGarbageWhereNumbersBelong) {
    for (const char* bad : {
             "garbage garbage garbage garbage garbage garbage garbage",
             "51986 aa-03-18 19:53:17 00 0 0 725.6",
             "51986 01-03-18x 19:53:17 00 0 0 725.6",
             "51986 01-03-18 19:53:1.5 00 0 0 725.6",
             "51986 01-03-18 +9:53:17 00 0 0 725.6",
             "51986 01-03-18 19:53:17 00 0 0 fast",
             "51986 01-03-18 19:53:17 00 0 0 725.6ms",
             "HTTP/1.1 400 Bad Request\r\n\r\n",
         }) {
        EXPECT_FALSE(ParseDaytimeReply(bad)) << bad;
    }
}

// The advance is a wait on the clock-update thread: a hostile value must not hold it up.
TEST(DaytimeReplyTest, RefusesAdvancesBeyondOneSecond) {
    const auto advance = [](const std::string& a) {
        const auto reply =
            ParseDaytimeReply("51986 01-03-18 19:53:17 00 0 0 " + a + " UTC(NIST) *");
        return reply ? reply->advanceMs : -1.0;
    };
    EXPECT_EQ(advance("0"), 0.0);
    EXPECT_EQ(advance("0.0"), 0.0);
    EXPECT_EQ(advance("1000.0"), 1000.0);
    EXPECT_EQ(advance("45"), 45.0);
    EXPECT_EQ(advance("1000.1"), -1.0);
    EXPECT_EQ(advance("1e9"), -1.0);
    EXPECT_EQ(advance("-5.0"), -1.0);
    EXPECT_EQ(advance("nan"), -1.0);
    EXPECT_EQ(advance("inf"), -1.0);
}

TEST(DaytimeSetClockTest, SetsTheReplySecondAfterTheAdvance) {
    FakeSystemClock clock({2024, 5, 3, 1, 8, 9, 10, 456});
    SyncFlags flags;
    FakeTimeCapability capability;
    ClockSetter setter(clock, capability);
    DaytimeClient client(clock, flags, setter);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(client.SetClock(*ParseDaytimeReply(kNistReply)), 1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(725));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    ASSERT_EQ(clock.settingCount(), 1u);
    // The day of week is the one read from the clock; the platform ignores it.
    EXPECT_EQ(clock.settings()[0], (SystemTime{2001, 3, 3, 18, 19, 53, 17, 0}));
}

TEST(DaytimeSetClockTest, ARefusedSettingReturnsZero) {
    FakeSystemClock clock;
    clock.setAllowSetting(false);
    SyncFlags flags;
    FakeTimeCapability capability;
    ClockSetter setter(clock, capability);
    DaytimeClient client(clock, flags, setter);
    EXPECT_EQ(client.SetClock({2001, 3, 18, 19, 53, 17, 0.0}), 0);
    EXPECT_EQ(clock.settingCount(), 0u);
}

}  // namespace
}  // namespace horalux
