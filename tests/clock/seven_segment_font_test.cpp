#include <gtest/gtest.h>

#include "clock/recording_surface.h"
#include "clock/seven_segment_font.h"

namespace horalux {
namespace {

using test::RecordingSurface;

constexpr SystemTime at(int year, int month, int day, int hour, int minute, int second) {
    return SystemTime{static_cast<uint16_t>(year),
                      static_cast<uint16_t>(month),
                      0,
                      static_cast<uint16_t>(day),
                      static_cast<uint16_t>(hour),
                      static_cast<uint16_t>(minute),
                      static_cast<uint16_t>(second),
                      0};
}

TEST(SevenSegmentFontTest, DigitMasksLightTheRightBars) {
    const uint8_t expected[] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(DigitSegmentMask(d), expected[d]) << d;
    }
    EXPECT_EQ(DigitSegmentMask(-1), 0);
    EXPECT_EQ(DigitSegmentMask(10), 0);
}

TEST(SevenSegmentFontTest, DayOfYearCountsEveryFourthYearAsLeap) {
    EXPECT_EQ(DayOfYear(at(2023, 1, 1, 0, 0, 0)), 1);
    EXPECT_EQ(DayOfYear(at(2024, 12, 31, 0, 0, 0)), 366);
    EXPECT_EQ(DayOfYear(at(2023, 12, 31, 0, 0, 0)), 365);
    EXPECT_EQ(DayOfYear(at(2024, 3, 1, 0, 0, 0)), 61);
    EXPECT_EQ(DayOfYear(at(2023, 3, 1, 0, 0, 0)), 60);
    // The clock's rule has no century exception: 2100 is a leap year to it.
    EXPECT_TRUE(IsClockLeapYear(2100));
    EXPECT_EQ(DayOfYear(at(2100, 3, 1, 0, 0, 0)), 61);
    EXPECT_EQ(DisplayText(at(2100, 3, 1, 0, 0, 0), 1, 1), "061:00:00:00");
    // Each row adds up: the days before December plus December's 31 end the year.
    EXPECT_EQ(DaysBeforeMonth[0][11] + 31, 365);
    EXPECT_EQ(DaysBeforeMonth[1][11] + 31, 366);
    // A broken month never reads outside the table.
    EXPECT_EQ(DayOfYear(at(2023, 0, 5, 0, 0, 0)), 5);
    EXPECT_EQ(DayOfYear(at(2023, 13, 5, 0, 0, 0)), 334 + 5);
}

TEST(SevenSegmentFontTest, TwelveHourModeDropsTwelveOnlyAfterNoon) {
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 13, 5, 9), 0, 0), "01:05:09");
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 12, 30, 0), 0, 0), "12:30:00");
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 0, 15, 0), 0, 0), "00:15:00");
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 23, 59, 59), 0, 0), "11:59:59");
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 13, 5, 9), 1, 0), "13:05:09");
    // Only 0 selects the 12-hour form and only 1 the day of year.
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 13, 5, 9), 2, 2), "13:05:09");
    EXPECT_EQ(DisplayText(at(2001, 3, 18, 13, 5, 9), 1, 1), "077:13:05:09");
}

// The left edges of the cells, relative to the content, from the widths of the layout table.
std::vector<int> expectedLefts(int cw, int t, bool withDay) {
    std::vector<int> lefts;
    int shift = 0;
    if (withDay) {
        lefts = {0, cw + t, 2 * cw + 2 * t, 3 * cw + 4 * t};
        shift = 3 * cw + 9 * t;
    }
    for (int x : {0, cw + t, 2 * cw + 3 * t, 2 * cw + 8 * t, 3 * cw + 9 * t, 4 * cw + 11 * t,
                  4 * cw + 16 * t, 5 * cw + 17 * t}) {
        lefts.push_back(shift + x);
    }
    return lefts;
}

TEST(SevenSegmentFontTest, LayoutPlacesCellsByTheThicknessAndLeavesTheRemainderBlank) {
    const SystemTime time = at(2001, 3, 18, 19, 53, 17);
    for (const bool withDay : {false, true}) {
        for (const int width : {282, 283, 288, 500, 1000, 1902}) {
            for (const int t : {0, 1, 3, 8}) {
                const PixelRect content{5, 7, 5 + width, 87};
                const TimeLayout layout = LayoutTime(content, t, time, 1, withDay ? 1 : 0);
                const int cw = withDay ? (width - 26 * t) / 9 : (width - 17 * t) / 6;
                SCOPED_TRACE(testing::Message()
                             << "width " << width << " t " << t << " doy " << withDay);
                ASSERT_EQ(layout.digitWidth, cw);
                const std::vector<int> lefts = expectedLefts(cw, t, withDay);
                ASSERT_EQ(layout.count, static_cast<int>(lefts.size()));
                const std::string text = DisplayText(time, 1, withDay ? 1 : 0);
                for (int i = 0; i < layout.count; ++i) {
                    const SegmentCell& cell = layout.cells[static_cast<size_t>(i)];
                    EXPECT_EQ(cell.rect.left, 5 + lefts[static_cast<size_t>(i)]) << i;
                    EXPECT_EQ(cell.rect.top, 7);
                    EXPECT_EQ(cell.rect.bottom, 87);
                    EXPECT_EQ(cell.separator, text[static_cast<size_t>(i)] == ':');
                    if (!cell.separator) {
                        EXPECT_EQ(cell.character, text[static_cast<size_t>(i)]);
                        EXPECT_EQ(cell.rect.width(), cw);
                    }
                }
                // The last digit ends the drawing; what the truncation left over stays blank.
                const int used = withDay ? 9 * cw + 26 * t : 6 * cw + 17 * t;
                EXPECT_EQ(layout.cells[static_cast<size_t>(layout.count - 1)].rect.right, 5 + used);
                EXPECT_GE(width - used, 0);
                EXPECT_LT(width - used, withDay ? 9 : 6);
            }
        }
    }
}

TEST(SevenSegmentFontTest, TheClockWindowsDefaultSizeGivesThirtyEightPixelCells) {
    // A 292 x 92 client, margin 5, thickness 292 / 80 = 3.
    const TimeLayout layout = LayoutTime({5, 5, 287, 87}, 3, at(2001, 3, 18, 19, 53, 17), 1, 0);
    EXPECT_EQ(layout.digitWidth, 38);
    EXPECT_EQ(layout.cells[7].rect.left, 5 + 241);
    EXPECT_EQ(layout.cells[7].rect.right, 5 + 279);  // 3 pixels of 282 left blank
}

TEST(SevenSegmentFontTest, DigitStrokesFollowTheThickness) {
    RecordingSurface surface;
    SevenSegmentFont font;
    font.setStyle({3, 0x0000FF, 0x000030});
    font.DrawDigit(surface, {10, 20, 50, 100}, '2');  // a b d e g lit

    // H = 80 / 2 - 9 = 31.
    const std::vector<std::pair<PixelPoint, PixelPoint>> expected{
        {{16, 23}, {44, 23}},  // a
        {{47, 26}, {47, 57}},  // b
        {{47, 63}, {47, 94}},  // c
        {{16, 97}, {44, 97}},  // d: at B - t for an even height
        {{13, 63}, {13, 94}},  // e
        {{13, 26}, {13, 57}},  // f
        {{16, 60}, {44, 60}},  // g
    };
    ASSERT_EQ(surface.strokes().size(), 7u);
    const uint8_t mask = DigitSegmentMask(2);
    for (size_t i = 0; i < 7; ++i) {
        const auto& s = surface.strokes()[i];
        EXPECT_EQ(s.from, expected[i].first) << i;
        EXPECT_EQ(s.to, expected[i].second) << i;
        EXPECT_EQ(surface.penOf(s).width, 3);
        EXPECT_EQ(surface.penOf(s).colour, (mask >> i) & 1 ? 0x0000FFu : 0x000030u) << i;
    }
}

TEST(SevenSegmentFontTest, EightIsAllLitAndOneLightsOnlyTheRightBars) {
    for (const char digit : {'8', '1'}) {
        RecordingSurface surface;
        SevenSegmentFont font;
        font.setStyle({4, 0xAAAAAA, 0x111111});
        font.DrawDigit(surface, {0, 0, 60, 120}, digit);
        ASSERT_EQ(surface.strokes().size(), 7u);
        for (size_t i = 0; i < 7; ++i) {
            const bool lit = digit == '8' || i == 1 || i == 2;
            EXPECT_EQ(surface.penOf(surface.strokes()[i]).colour, lit ? 0xAAAAAAu : 0x111111u)
                << digit << " segment " << i;
        }
    }
}

TEST(SevenSegmentFontTest, ThinPensReachTheirNominalEnd) {
    for (const int t : {0, 1}) {
        RecordingSurface surface;
        SevenSegmentFont font;
        font.setStyle({t, 1, 2});
        font.DrawDigit(surface, {0, 0, 20, 40}, '8');
        const int h = 40 / 2 - 3 * t;
        const auto& top = surface.strokes()[0];
        EXPECT_EQ(top.from, (PixelPoint{2 * t, t}));
        EXPECT_EQ(top.to, (PixelPoint{20 - 2 * t + 1, t}));  // one past: not painted
        const auto& upperRight = surface.strokes()[1];
        EXPECT_EQ(upperRight.to.y - upperRight.from.y, h + 1);
        EXPECT_EQ(surface.penOf(top).width, t);
    }
}

TEST(SevenSegmentFontTest, SeparatorDotsAreZeroLengthStrokesOfDoubleWidth) {
    RecordingSurface surface;
    SevenSegmentFont font;
    font.setStyle({3, 0x00FF00, 0x003000});
    font.DrawColon(surface, {100, 5, 115, 87});
    ASSERT_EQ(surface.strokes().size(), 2u);
    ASSERT_EQ(surface.pens().size(), 1u);
    EXPECT_EQ(surface.pens()[0].width, 6);
    EXPECT_EQ(surface.pens()[0].colour, 0x00FF00u);  // always lit
    // x = L + 2t - t/2 = 105; the quarter of 82 is 20.
    EXPECT_EQ(surface.strokes()[0].from, (PixelPoint{105, 25}));
    EXPECT_EQ(surface.strokes()[0].to, (PixelPoint{105, 25}));
    EXPECT_EQ(surface.strokes()[1].from, (PixelPoint{105, 67}));
    EXPECT_EQ(surface.strokes()[1].to, (PixelPoint{105, 67}));
}

TEST(SevenSegmentFontTest, DrawTimeRestoresThePenAndDestroysItsOwn) {
    RecordingSurface surface;
    const auto callersPen = surface.makePen(1, 0x123456);
    surface.selectPen(callersPen.get());

    SevenSegmentFont font;
    font.DrawTime(surface, {5, 5, 287, 87}, {3, 0xFF0000, 0x400000}, at(2001, 3, 18, 19, 53, 17), 1,
                  1);
    // 9 digits of 7 strokes and 3 separators of 2 dots.
    EXPECT_EQ(surface.strokes().size(), 9u * 7 + 3 * 2);
    EXPECT_EQ(surface.pens().size(), 1u + 9 * 2 + 3);
    EXPECT_EQ(surface.selected(), callersPen.get());
    EXPECT_EQ(surface.livePens(), 1);  // only the caller's
    EXPECT_EQ(surface.misuses(), 0);
    for (const auto& s : surface.strokes()) {
        EXPECT_NE(s.pen, 0) << "drew with the caller's pen";
    }
}

TEST(SevenSegmentFontTest, DrawTimeShowsTheTextOfTheTime) {
    RecordingSurface surface;
    SevenSegmentFont font;
    font.DrawTime(surface, {0, 0, 400, 100}, {2, 0xFFFFFF, 0x000001}, at(2024, 12, 31, 13, 5, 9), 0,
                  1);  // "366:01:05:09"
    // Read the digits back from the lit colours of each group of seven strokes.
    std::string digits;
    size_t i = 0;
    while (i < surface.strokes().size()) {
        if (surface.penOf(surface.strokes()[i]).width == 4) {  // a separator dot
            i += 2;
            continue;
        }
        int mask = 0;
        for (int bit = 0; bit < 7; ++bit, ++i) {
            mask |= surface.penOf(surface.strokes()[i]).colour == 0xFFFFFF ? 1 << bit : 0;
        }
        for (int d = 0; d <= 9; ++d) {
            if (DigitSegmentMask(d) == mask) {
                digits += static_cast<char>('0' + d);
            }
        }
    }
    EXPECT_EQ(digits, "366010509");
}

TEST(SevenSegmentFontTest, ThicknessZeroStillDrawsEverySegmentWithOnePixelPens) {
    RecordingSurface surface;
    SevenSegmentFont font;
    font.DrawTime(surface, {0, 0, 60, 20}, {0, 1, 2}, at(2001, 3, 18, 19, 53, 17), 1, 0);
    EXPECT_EQ(surface.strokes().size(), 6u * 7 + 2 * 2);
    for (const auto& pen : surface.pens()) {
        EXPECT_EQ(pen.width, 0);
    }
}

TEST(SevenSegmentFontTest, ATooNarrowContentOverlapsButStaysDefined) {
    RecordingSurface surface;
    SevenSegmentFont font;
    const PixelRect content{0, 0, 10, 10};
    font.DrawTime(surface, content, {8, 1, 2}, at(2001, 3, 18, 19, 53, 17), 1, 1);
    EXPECT_LT(LayoutTime(content, 8, {}, 1, 1).digitWidth, 0);
    EXPECT_EQ(surface.strokes().size(), 9u * 7 + 3 * 2);
    EXPECT_EQ(surface.livePens(), 0);
}

}  // namespace
}  // namespace horalux
