// How an update's outcome is put into words and keys, and how the clock a setting goes through
// measures the correction.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/fake_system_clock.h"
#include "sync/update_outcome.h"

namespace horalux {
namespace {

TEST(UpdateOutcomeTest, EachResultHasItsOwnKeyAndWordsAndTheKeyReadsBack) {
    struct Case {
        UpdateResult result;
        const char* key;
        const char* tip;  // in the tray's few words
    };
    const Case cases[] = {
        {UpdateResult::NotLocked, "not-locked", "Not set: not locked"},
        {UpdateResult::LocalHour, "local-hour", "Not set: local hour 23 or 1"},
        {UpdateResult::NoTurnOver, "no-turn-over", "Not set: GPS second did not turn over"},
        {UpdateResult::InvalidTime, "invalid-time", "Not set: receiver time not valid"},
        {UpdateResult::DelayOutOfRange, "delay-out-of-range", "Not set: fix-up delay out of range"},
        {UpdateResult::LeftToChronyd, "left-to-chronyd", "Not set: left to chronyd"},
        {UpdateResult::Stopped, "stopped", "Not set: stopped"},
        {UpdateResult::BadServerName, "bad-server-name", "Not set: not a server name"},
        {UpdateResult::NameNotFound, "name-not-found", "Not set: server name not found"},
        {UpdateResult::ServerUnreachable, "server-unreachable", "Not set: server not reached"},
        {UpdateResult::ServerSilent, "server-silent", "Not set: server silent"},
        {UpdateResult::ServerRefused, "server-refused", "Not set: server refused"},
        {UpdateResult::BadReply, "bad-reply", "Not set: reply not understood"},
        {UpdateResult::PrivilegeMissing, "privilege-missing", "Not set: privilege missing"},
        {UpdateResult::ClockRefused, "clock-refused", "Not set: clock refused"},
    };
    std::set<std::string> keys{"set"}, words{"set"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(std::string(ResultKey(c.result)), c.key);
        EXPECT_EQ(ResultFromKey(c.key), c.result);
        EXPECT_TRUE(keys.insert(c.key).second) << "keys are unique";
        EXPECT_TRUE(words.insert(ResultWords(c.result)).second) << "words are unique";
        UpdateOutcome o;
        o.result = c.result;
        o.correctionMs = 5;  // not shown for an update that did not set the clock
        EXPECT_EQ(OutcomeTip(o), c.tip);
        EXPECT_LE(OutcomeTip(o).size(), 48u) << "a few words";
    }
    EXPECT_EQ(ResultFromKey("set"), UpdateResult::Set);
    EXPECT_EQ(ResultFromKey("Set"), std::nullopt);
    EXPECT_EQ(ResultFromKey(""), std::nullopt);
    for (auto r : {UpdateReference::Gps, UpdateReference::Sntp, UpdateReference::Daytime}) {
        EXPECT_EQ(ReferenceFromKey(ReferenceKey(r)), r);
    }
    EXPECT_EQ(ReferenceFromKey("NTP"), std::nullopt);
}

TEST(UpdateOutcomeTest, SetUpdatesReadWithTheirTimeSourceAndCorrection) {
    struct Case {
        int64_t correction;
        const char* text;
    };
    for (const Case& c :
         {Case{312, "+312 ms"}, Case{-12, "\u221212 ms"}, Case{0, "+0 ms"}, Case{999, "+999 ms"},
          Case{1000, "+1.000 s"}, Case{2500, "+2.500 s"}, Case{-3600042, "\u22123600.042 s"}}) {
        EXPECT_EQ(FormatCorrection(c.correction), c.text);
    }

    UpdateOutcome sntp;
    sntp.timeMs = 1714572123456;  // 2024-05-01 14:02:03.456 UTC
    sntp.reference = UpdateReference::Sntp;
    sntp.source = "127.0.0.1:12300";
    sntp.correctionMs = 312;
    EXPECT_EQ(OutcomeTip(sntp), "Set 14:02 UTC, +312 ms");
    EXPECT_EQ(DescribeOutcome(sntp), "2024-05-01 14:02:03 UTC, SNTP, 127.0.0.1:12300: set");

    UpdateOutcome gps;
    gps.timeMs = sntp.timeMs;
    gps.source = SentenceName(1);
    gps.result = UpdateResult::LocalHour;
    EXPECT_EQ(DescribeOutcome(gps),
              "2024-05-01 14:02:03 UTC, GPS (RMC): not set, local hour 23 or 1");
    EXPECT_EQ(std::string(SentenceName(0)) + SentenceName(2) + SentenceName(7), "GGAZDAGGA");
}

}  // namespace
}  // namespace horalux
