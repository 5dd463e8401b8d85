#include <gtest/gtest.h>

#include "clock/date_tip_text.h"
#include "platform/fake_system_clock.h"

namespace horalux {
namespace {

TEST(DateTipTextTest, UtcInTwentyFourHourMode) {
    FakeSystemClock clock({2001, 3, 0, 18, 19, 53, 17, 0}, 60);
    EXPECT_EQ(DateTipText(clock, 0, 1), "Sunday, March 18, 2001 (19:53:17 UTC)");
}

TEST(DateTipTextTest, TheFourFormats) {
    const SystemTime t{2001, 3, 0, 18, 19, 53, 17, 0};
    EXPECT_EQ(FormatDateTip(t, true, true), "Sunday, March 18, 2001 (19:53:17 Local Time)");
    EXPECT_EQ(FormatDateTip(t, true, false), "Sunday, March 18, 2001 (07:53:17 PM Local Time)");
    EXPECT_EQ(FormatDateTip(t, false, true), "Sunday, March 18, 2001 (19:53:17 UTC)");
    EXPECT_EQ(FormatDateTip(t, false, false), "Sunday, March 18, 2001 (07:53:17 PM UTC)");
}

TEST(DateTipTextTest, MidnightAndNoonInTwelveHourForm) {
    EXPECT_EQ(FormatDateTip({2024, 1, 1, 1, 0, 0, 5, 0}, false, false),
              "Monday, January 01, 2024 (12:00:05 AM UTC)");
    EXPECT_EQ(FormatDateTip({2024, 1, 1, 1, 12, 0, 0, 0}, false, false),
              "Monday, January 01, 2024 (12:00:00 PM UTC)");
    EXPECT_EQ(FormatDateTip({2024, 1, 1, 1, 11, 59, 59, 0}, false, false),
              "Monday, January 01, 2024 (11:59:59 AM UTC)");
    EXPECT_EQ(FormatDateTip({2024, 1, 1, 1, 0, 0, 5, 0}, false, true),
              "Monday, January 01, 2024 (00:00:05 UTC)");
}

TEST(DateTipTextTest, LocalFormatsUseLocalTimeAndUtcFormatsUtc) {
    // 23:30 UTC on 31 December is already 1 January two hours east.
    FakeSystemClock clock({2023, 12, 0, 31, 23, 30, 0, 0}, 120);
    EXPECT_EQ(DateTipText(clock, 1, 1), "Monday, January 01, 2024 (01:30:00 Local Time)");
    EXPECT_EQ(DateTipText(clock, 1, 0), "Monday, January 01, 2024 (01:30:00 AM Local Time)");
    EXPECT_EQ(DateTipText(clock, 0, 1), "Sunday, December 31, 2023 (23:30:00 UTC)");
    EXPECT_EQ(DateTipText(clock, 0, 0), "Sunday, December 31, 2023 (11:30:00 PM UTC)");
    // As the display reads its flags: local only for 1, 12-hour only for 0.
    EXPECT_EQ(DateTipText(clock, 2, 2), "Sunday, December 31, 2023 (23:30:00 UTC)");
    EXPECT_EQ(InitialDateTipText(clock), "Sunday, December 31, 2023");
}

}  // namespace
}  // namespace horalux
