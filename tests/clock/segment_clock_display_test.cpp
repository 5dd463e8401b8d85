#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <vector>

#include "clock/qt_color.h"
#include "clock/segment_clock_display.h"
#include "clock/seven_segment_font.h"
#include "clock/widget_test_support.h"
#include "displays/display_accessibility.h"
#include "platform/fake_system_clock.h"

namespace horalux {
namespace {

using test::onScreen;
using test::PaintCounter;
using test::processUntil;
using test::settle;

QRgb rgbOf(ColorRef c) {
    return toQColor(c).rgb();
}

// Compares every segment of every digit, the separator dots and the blank remainder of an
// image of a display with the layout of the time it shows; returns what differs.
std::vector<std::string> segmentMismatches(const QImage& image, const SegmentClockState& s) {
    std::vector<std::string> mismatches;
    const auto expect = [&](int x, int y, ColorRef colour, const std::string& what) {
        if (image.pixel(x, y) != rgbOf(colour)) {
            mismatches.push_back(what + " at " + std::to_string(x) + "," + std::to_string(y));
        }
    };
    const PixelRect content = s.ContentRect(image.width(), image.height());
    const int t = s.thickness;
    const TimeLayout layout = LayoutTime(content, t, s.time, s.twentyFourHour, s.dayOfYear);
    for (int i = 0; i < layout.count; ++i) {
        const SegmentCell& cell = layout.cells[static_cast<size_t>(i)];
        const PixelRect& r = cell.rect;
        const std::string name = "cell " + std::to_string(i);
        if (cell.separator) {
            const int x = r.left + 2 * t - t / 2;
            const int quarter = (r.bottom - r.top) / 4;
            expect(x, r.top + quarter, s.lit, name + " upper dot");
            expect(x, r.bottom - quarter, s.lit, name + " lower dot");
            continue;
        }
        const int h = (r.bottom - r.top) / 2 - 3 * t;
        const int midX = (r.left + r.right) / 2;
        const PixelPoint middles[7] = {
            {midX, r.top + t},
            {r.right - t, r.top + 2 * t + h / 2},
            {r.right - t, r.top + 4 * t + h + h / 2},
            {midX, r.top + 5 * t + 2 * h},
            {r.left + t, r.top + 4 * t + h + h / 2},
            {r.left + t, r.top + 2 * t + h / 2},
            {midX, r.top + 3 * t + h},
        };
        const int mask = DigitSegmentMask(cell.character - '0');
        for (int bit = 0; bit < 7; ++bit) {
            expect(middles[bit].x, middles[bit].y, (mask >> bit) & 1 ? s.lit : s.unlit,
                   name + " segment " + std::to_string(bit));
        }
        // Inside the upper and lower loops there is only background.
        expect(midX, r.top + 2 * t + h / 2, s.background, name + " upper loop");
        expect(midX, r.top + 4 * t + h + h / 2, s.background, name + " lower loop");
    }
    // What the truncated digit width left over at the right stays background.
    const int lastRight = layout.cells[static_cast<size_t>(layout.count - 1)].rect.right;
    for (int x = lastRight + 1; x < content.right; ++x) {
        expect(x, image.height() / 2, s.background, "remainder");
    }
    return mismatches;
}

#define EXPECT_SEGMENTS(image, state) \
    EXPECT_EQ(segmentMismatches(image, state), std::vector<std::string>{})

class SegmentClockDisplayTest : public testing::Test {
  protected:
    FakeSystemClock clock{{2001, 3, 0, 18, 19, 53, 17, 0}};
    SegmentClockDisplay display{clock};

    void showAt(int width, int height) {
        display.resize(width, height);
        display.show();
        ASSERT_TRUE(processUntil([&] { return display.isVisible(); }));
        display.tick();
        settle();
    }
};

TEST_F(SegmentClockDisplayTest, TheClockWindowsDefaultClientShowsTheLayoutInPixels) {
    // The clock window's 292 x 92 client: thickness 3, content 282 x 82, 38-pixel cells.
    display.state().thickness = 3;
    display.state().lit = 0x0000FF;
    display.state().unlit = 0x000030;
    showAt(292, 92);
    EXPECT_EQ(display.state().time.hour, 19);

    const QImage image = onScreen(display);
    ASSERT_EQ(image.size(), QSize(292, 92));
    EXPECT_SEGMENTS(image, display.state());
    // The hour tens '1' (cells from x = 5): top bar unlit, both right bars lit.
    EXPECT_EQ(image.pixel(5 + 19, 5 + 3), rgbOf(0x000030));
    EXPECT_EQ(image.pixel(5 + 38 - 3, 5 + 6 + 16), rgbOf(0x0000FF));
    // The sunken edge: shadow at the top and left, highlight at the bottom and right.
    EXPECT_EQ(image.pixel(0, 40), display.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(100, 0), display.palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(291, 40), display.palette().color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(100, 91), display.palette().color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(2, 46), qRgb(0, 0, 0));

    // The check tells one second from the next.
    SegmentClockState wrong = display.state();
    wrong.time.second = 18;
    EXPECT_EQ(segmentMismatches(image, wrong).size(), 4u);  // 7 and 8 differ in d, e, f, g

    // A fresh render (grab) gives the same picture.
    EXPECT_EQ(display.grab().toImage().convertToFormat(QImage::Format_RGB32), image);
}

TEST_F(SegmentClockDisplayTest, TwelveHourAndDayOfYearLayoutsInPixels) {
    clock.setNow({2024, 12, 0, 31, 13, 5, 9, 0});
    display.state().thickness = 4;
    display.state().twentyFourHour = 0;
    display.state().dayOfYear = 1;
    display.state().lit = 0x00FF00;
    display.state().unlit = 0x003000;
    showAt(480, 110);
    const QImage image = onScreen(display);
    EXPECT_SEGMENTS(image, display.state());  // 366:01:05:09
    EXPECT_EQ(DisplayText(display.state().time, 0, 1), "366:01:05:09");
}

TEST_F(SegmentClockDisplayTest, RepaintsOnlyWhenTheSecondChanges) {
    showAt(292, 92);
    PaintCounter paints(display);
    EXPECT_FALSE(display.tick());
    clock.advance(500);
    EXPECT_FALSE(display.tick());
    settle();
    EXPECT_EQ(paints.count, 0);

    clock.advance(500);
    EXPECT_TRUE(display.tick());
    settle();
    EXPECT_EQ(paints.count, 1);
    EXPECT_EQ(display.state().time.second, 18);
}

TEST_F(SegmentClockDisplayTest, TheTimerTicksAndStops) {
    display.EnableTimer(1, 50);
    EXPECT_TRUE(display.timerActive());
    showAt(200, 60);
    clock.advance(3000);
    EXPECT_TRUE(processUntil([&] { return display.state().time.second == 20; }));
    display.EnableTimer(2, 50);  // only 1 starts it
    EXPECT_FALSE(display.timerActive());
}

TEST_F(SegmentClockDisplayTest, TheTimePageShowsUtcWhileTheDesktopClockShowsLocalTime) {
    FakeSystemClock east({2024, 6, 0, 3, 12, 0, 0, 0}, 120);
    SegmentClockDisplay desktop(east);
    SegmentClockDisplay page(east);
    page.state().localTime = 0;
    desktop.tick();
    page.tick();
    EXPECT_EQ(desktop.state().time.hour, 14);
    EXPECT_EQ(page.state().time.hour, 12);
}

TEST_F(SegmentClockDisplayTest, AnErasingRepaintLeavesNoStaleDigits) {
    display.state().thickness = 3;
    showAt(292, 92);
    const QImage before = onScreen(display);

    // What the day-of-year layout looks like drawn on a clean display.
    SegmentClockDisplay fresh(clock);
    fresh.state().thickness = 3;
    fresh.state().dayOfYear = 1;
    fresh.resize(292, 92);
    fresh.show();
    ASSERT_TRUE(processUntil([&] { return fresh.isVisible(); }));
    fresh.tick();
    settle();
    const QImage clean = onScreen(fresh);
    ASSERT_NE(clean, before);

    // Without erasing, the old digits show through the new layout's gaps...
    display.state().dayOfYear = 1;
    display.invalidate(false);
    settle();
    EXPECT_NE(onScreen(display), clean);
    // ...with erasing they are gone.
    display.invalidate(true);
    settle();
    EXPECT_EQ(onScreen(display), clean);
}

TEST_F(SegmentClockDisplayTest, AColourChangeRepaintsWithoutErasing) {
    display.state().thickness = 3;
    display.state().background = 0x202020;
    showAt(292, 92);
    const QImage before = onScreen(display);
    display.state().lit = 0x00FF00;
    display.invalidate(false);
    settle();
    const QImage after = onScreen(display);
    EXPECT_SEGMENTS(after, display.state());
    // The background and edge were not touched, only the segments.
    EXPECT_EQ(after.pixel(2, 46), before.pixel(2, 46));
    EXPECT_EQ(after.pixel(0, 0), before.pixel(0, 0));
}

// A screen reader reads the time shown as the display's name, as text, and hears of each new
// second as a name change; putting the time into words costs no paint.
TEST_F(SegmentClockDisplayTest, ScreenReadersHearEachNewSecondWithoutARepaintOfTheirOwn) {
    std::vector<QString> told;  // what a listening screen reader is told, as it is told
    QObject::connect(&display, &SegmentClockDisplay::spokenTextChanged,
                     [&](const QString& text) { told.push_back(text); });

    display.state().localTime = 0;
    display.state().dayOfYear = 1;
    showAt(292, 92);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&display);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::StaticText);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("19:53:17 UTC day 77"));
    EXPECT_EQ(told, std::vector<QString>{QStringLiteral("19:53:17 UTC day 77")});

    // Three seconds in 50 ms ticks: three repaints, three names, none between.
    told.clear();
    PaintCounter paints(display);
    for (int tick = 0; tick < 60; ++tick) {
        clock.advance(50);
        display.tick();
        settle();
    }
    EXPECT_EQ(paints.count, 3);
    EXPECT_EQ(told, (std::vector<QString>{"19:53:18 UTC day 77", "19:53:19 UTC day 77",
                                          "19:53:20 UTC day 77"}));

    // A colour change repaints and says nothing new; the 12-hour form is said as it is drawn.
    told.clear();
    display.state().lit = 0x00FF00;
    display.invalidate(false);
    EXPECT_EQ(told, std::vector<QString>{});
    display.state().twentyFourHour = 0;
    display.state().dayOfYear = 0;
    display.invalidate(true);
    EXPECT_EQ(told, std::vector<QString>{QStringLiteral("07:53:20 UTC")});

    // A hidden display tells no one; shown again, it names the time at its next second.
    told.clear();
    display.hide();
    clock.advance(1000);
    display.tick();
    EXPECT_EQ(told, std::vector<QString>{});
    EXPECT_EQ(AccessibleNameOf(&display), QStringLiteral("07:53:21 UTC")) << "asked, it says";
    display.show();
    clock.advance(1000);
    display.tick();
    EXPECT_EQ(told, std::vector<QString>{QStringLiteral("07:53:22 UTC")});
}

}  // namespace
}  // namespace horalux
