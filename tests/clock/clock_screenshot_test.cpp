// Pictures of the desktop clock as a person sees it, in every colour scheme, with and without
// the day of year, saved to <build>/screenshots/clock-*.png.
#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "clock/clock_window.h"
#include "clock/qt_color.h"
#include "clock/segment_clock_display.h"
#include "clock/widget_test_support.h"
#include "platform/fake_system_clock.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

class NoHost final : public ClockWindowHost {
    void setPcClockNow() override {}
    void openProperties() override {}
    void showHelp() override {}
};

int countPixels(const QImage& image, ColorRef colour) {
    int n = 0;
    const QRgb rgb = toQColor(colour).rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == rgb ? 1 : 0;
        }
    }
    return n;
}

struct Shot {
    const char* name;
    int32_t scheme;  // 0: nothing stored (the default custom pair)
    bool dayOfYear;
    QSize size;
};

class ClockScreenshotTest : public testing::TestWithParam<Shot> {};

TEST_P(ClockScreenshotTest, RendersTheClock) {
    const Shot& shot = GetParam();
    MemorySettingsStore store;
    RuntimeSettings runtime;
    FakeSystemClock clock({2024, 12, 0, 31, 13, 5, 9, 0});
    NoHost host;
    store.write(keys::EnableDOY, shot.dayOfYear ? 1 : 0);
    ClockWindow window(store, runtime, clock, host);
    if (shot.scheme != 0) {
        window.runCommand(shot.scheme);
    }
    window.resize(shot.size);
    window.display().tick();
    test::settle();

    const QImage image = test::onScreen(window);
    ASSERT_EQ(image.size(), shot.size);
    const SegmentClockState& s = window.display().state();
    EXPECT_GT(countPixels(image, s.lit), 0);
    EXPECT_GT(countPixels(image, s.unlit), 0);
    const std::string path = test::saveScreenshot(image, shot.name);
    std::cout << "saved " << path << "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, ClockScreenshotTest,
    testing::Values(Shot{"clock-custom-default", 0, false, {300, 100}},
                    Shot{"clock-custom-default-doy", 0, true, {300, 100}},
                    Shot{"clock-blue", command::kBlueClock, false, {300, 100}},
                    Shot{"clock-blue-doy", command::kBlueClock, true, {300, 100}},
                    Shot{"clock-green", command::kGreenClock, false, {300, 100}},
                    Shot{"clock-green-doy", command::kGreenClock, true, {300, 100}},
                    Shot{"clock-red", command::kRedClock, false, {300, 100}},
                    Shot{"clock-red-doy", command::kRedClock, true, {300, 100}},
                    Shot{"clock-green-large", command::kGreenClock, false, {800, 200}},
                    Shot{"clock-red-large-doy", command::kRedClock, true, {960, 180}}),
    [](const testing::TestParamInfo<Shot>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = c == '-' ? '_' : c;
        }
        return name;
    });

}  // namespace
}  // namespace horalux
