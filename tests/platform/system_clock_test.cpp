#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/fake_system_clock.h"
#include "platform/system_clock.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

TEST(SystemTimeTest, ConvertsToAndFromMillisecondsWithTheDayOfWeek) {
    const SystemTime t{2001, 3, 0, 18, 19, 53, 17, 250};
    const int64_t millis = toUnixMillis(t);
    EXPECT_EQ(millis, 984945197250);
    const SystemTime back = utcFromUnixMillis(millis);
    EXPECT_EQ(back.dayOfWeek, 0);  // a Sunday
    SystemTime expected = t;
    expected.dayOfWeek = 0;
    EXPECT_EQ(back, expected);
    // Before 1970 and across a leap day.
    EXPECT_EQ(utcFromUnixMillis(toUnixMillis({1968, 2, 0, 29, 23, 59, 59, 999})),
              (SystemTime{1968, 2, 4, 29, 23, 59, 59, 999}));
    EXPECT_EQ(utcFromUnixMillis(-1), (SystemTime{1969, 12, 3, 31, 23, 59, 59, 999}));
}

TEST(SystemTimeTest, RejectsRecordsOutsideTheCalendar) {
    EXPECT_TRUE(isValidSystemTime({2024, 2, 0, 29, 23, 59, 59, 999}));
    EXPECT_FALSE(isValidSystemTime({2023, 2, 0, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(isValidSystemTime({2023, 13, 0, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(isValidSystemTime({2023, 1, 0, 1, 24, 0, 0, 0}));
    EXPECT_FALSE(isValidSystemTime({2023, 1, 0, 1, 0, 60, 0, 0}));
    EXPECT_FALSE(isValidSystemTime({2023, 1, 0, 1, 0, 0, 60, 0}));
    EXPECT_FALSE(isValidSystemTime({2023, 1, 0, 1, 0, 0, 0, 1000}));  // fix-up delay out of range
    EXPECT_FALSE(isValidSystemTime({2023, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(VirtualClockTest, AMissingFileMeansTheSystemTime) {
    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    EXPECT_EQ(clock.offsetMillis(), 0);
    EXPECT_NEAR(static_cast<double>(toUnixMillis(clock.utcNow())),
                static_cast<double>(systemUnixMillis()), 50.0);
}

TEST(VirtualClockTest, SettingStoresTheOffsetAndReadsFollowIt) {
    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    const int64_t target = systemUnixMillis() + 3600 * 1000;
    ASSERT_TRUE(clock.setUtc(utcFromUnixMillis(target)));
    EXPECT_NEAR(static_cast<double>(clock.offsetMillis()), 3600e3, 50.0);
    EXPECT_NEAR(static_cast<double>(toUnixMillis(clock.utcNow())),
                static_cast<double>(systemUnixMillis() + 3600 * 1000), 50.0);

    std::ifstream in(dir.file("offset"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(std::to_string(clock.offsetMillis()) + "\n", text);

    EXPECT_FALSE(clock.setUtc({2001, 3, 0, 18, 19, 53, 17, 1000}));  // refused, offset kept
    EXPECT_NEAR(static_cast<double>(clock.offsetMillis()), 3600e3, 50.0);
}

TEST(VirtualClockTest, AnotherWritersChangeAndRemovalAreSeenAtTheNextLook) {
    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"), std::chrono::milliseconds(0));
    const auto write = [&](const char* text) { std::ofstream(dir.file("offset")) << text; };
    write("250\n");
    EXPECT_EQ(clock.offsetMillis(), 250);
    EXPECT_EQ(clock.offsetMillis(), 250) << "read again from the cache";
    write("-12000\n");  // in place: the same file, another size
    EXPECT_EQ(clock.offsetMillis(), -12000);
    write("not a number\n");
    EXPECT_EQ(clock.offsetMillis(), 0);
    std::filesystem::remove(dir.file("offset"));
    EXPECT_EQ(clock.offsetMillis(), 0);
    write("7\n");
    EXPECT_EQ(clock.offsetMillis(), 7);

    // With the program's interval, another writer's change shows within it, the clock's own
    // setting at once.
    VirtualSystemClock often(dir.file("offset"));
    EXPECT_EQ(often.offsetMillis(), 7);
    write("-40\n");
    const auto written = std::chrono::steady_clock::now();
    while (often.offsetMillis() != -40 &&
           std::chrono::steady_clock::now() - written < std::chrono::seconds(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(often.offsetMillis(), -40);
    EXPECT_LE(std::chrono::steady_clock::now() - written,
              VirtualSystemClock::kRecheck + std::chrono::milliseconds(100));
    ASSERT_TRUE(often.setUtc(utcFromUnixMillis(systemUnixMillis() + 5000)));
    EXPECT_NEAR(static_cast<double>(often.offsetMillis()), 5000.0, 50.0);
}

TEST(VirtualClockTest, LocalTimeFollowsTheTimeZone) {
    test::TempDir dir;
    { std::ofstream(dir.file("offset")) << "0\n"; }
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "UTC-2", 1);  // two hours east of UTC
    tzset();
    VirtualSystemClock clock(dir.file("offset"));
    const SystemTime utc = clock.utcNow();
    const SystemTime local = clock.localNow();
    EXPECT_EQ((utc.hour + 2) % 24, local.hour);
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(MakeSystemClockTest, TheClockFileVariableSelectsTheVirtualClock) {
    // The test main always sets HORALUX_CLOCK_FILE, so the program's factory never hands a test
    // the real clock.
    auto clock = makeSystemClock();
    EXPECT_NE(dynamic_cast<VirtualSystemClock*>(clock.get()), nullptr);
}

TEST(FakeClockTest, RecordsSettingsAndKeepsTheLocalOffset) {
    FakeSystemClock clock({2001, 3, 0, 1, 0, 30, 0, 0}, 120);
    EXPECT_EQ(clock.localNow().hour, 2);
    clock.advance(1500);
    EXPECT_EQ(clock.utcNow().second, 1);
    EXPECT_EQ(clock.utcNow().milliseconds, 500);
    ASSERT_TRUE(clock.setUtc({2002, 7, 0, 4, 12, 0, 2, 50}));
    EXPECT_EQ(clock.settingCount(), 1u);
    EXPECT_EQ(clock.utcNow().year, 2002);
    clock.setAllowSetting(false);
    EXPECT_FALSE(clock.setUtc({2002, 7, 0, 4, 12, 0, 2, 50}));
    EXPECT_EQ(clock.settingCount(), 1u);
}

}  // namespace
}  // namespace horalux
