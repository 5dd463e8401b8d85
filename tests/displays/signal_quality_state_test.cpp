// The signal graph's bar rows and the rule of its extremes, without a display.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "displays/signal_quality_state.h"

namespace horalux {
namespace {

constexpr int kWidth = 506;  // 12 bars of 42 pixels
constexpr int kHeight = 128;
constexpr int kFull = kHeight - 15;
constexpr int kText = 13;

std::vector<int> Heights(SignalQualityState& s) {
    std::vector<int> heights;
    for (const auto& bar : s.Paint(kWidth, kHeight, kText)) {
        heights.push_back(bar.filledHeight);
    }
    return heights;
}

void Feed(SignalQualityState& s, const std::vector<int>& snrs) {
    for (size_t i = 0; i < snrs.size(); ++i) {
        s.bars[i] = {static_cast<int32_t>(i + 1), snrs[i], 1};
    }
    s.SetBarCount(static_cast<int32_t>(snrs.size()));
}

TEST(SignalQualityStateTest, RowsOfOneBar) {
    SignalQualityState s;
    s.scaleMax = s.seenMax = 45;
    s.scaleMin = s.seenMin = 30;
    s.bars[0] = {17, 40, 1};
    s.bars[1] = {3, 45, 0};
    s.SetBarCount(2);
    const auto bars = s.Paint(86, kHeight, kText);  // W = 42
    ASSERT_EQ(bars.size(), 2u);
    const int h = static_cast<int>(kFull / 15.0 * 10);
    const auto& b = bars[1];
    EXPECT_EQ(bars[0].filledHeight, h);
    EXPECT_EQ(b.frame, QRect(QPoint(44, 2), QPoint(83, kHeight - 12)));
    EXPECT_FALSE(b.upper.isValid()) << "a full bar leaves no face above it";
    EXPECT_EQ(b.filled, QRect(QPoint(45, 3), QPoint(82, kHeight - 14)));
    EXPECT_FALSE(b.used);
    EXPECT_EQ(b.value, QStringLiteral("  45  "));
    EXPECT_EQ(b.valueBox, QRect(QPoint(45, 3), QPoint(83, kHeight - 13)));
    EXPECT_EQ(b.prnBox, QRect(QPoint(43, kHeight - 10), QPoint(84, kHeight - 13 + kText)));
    EXPECT_EQ(b.prn, QStringLiteral("3"));
    // The partly filled bar: face above, colour below, the bottom row of the inside left alone.
    EXPECT_EQ(bars[0].upper, QRect(QPoint(3, 3), QPoint(40, kHeight - 13 - h)));
    EXPECT_EQ(bars[0].filled, QRect(QPoint(3, kHeight - 12 - h), QPoint(40, kHeight - 14)));
    EXPECT_TRUE(bars[0].used);
}

TEST(SignalQualityStateTest, BeforeAnyDataTwelveEmptyBarsLabelledZero) {
    SignalQualityState s;
    const auto bars = s.Paint(kWidth, kHeight, kText);
    ASSERT_EQ(bars.size(), 12u);
    for (const auto& bar : bars) {
        EXPECT_EQ(bar.filledHeight, 0);
        EXPECT_EQ(bar.prn, QStringLiteral("0"));
        EXPECT_FALSE(bar.filled.isValid());
        EXPECT_FALSE(bar.valueBox.isValid()) << "no value text shows in an empty bar";
        EXPECT_EQ(bar.upper.bottom(), kHeight - 13) << "the whole inside is face";
    }
    EXPECT_EQ(s.seenMax, -999);
    EXPECT_EQ(s.seenMin, 999);
}

TEST(SignalQualityStateTest, ExtremesScaleTheBarsFromLeftToRightAndAcrossPaints) {
    SignalQualityState s;
    Feed(s, {30, 40, 45});
    // First paint from the sentinels: bar 1 has no scale yet, bar 2 a scale of one value (30,
    // and 40 lies above it), bar 3 the scale 30..40 (45 lies above it).
    EXPECT_EQ(Heights(s), (std::vector<int>{0, kFull, kFull}));
    EXPECT_EQ(s.seenMin, 30);
    EXPECT_EQ(s.seenMax, 45);
    // The same data again: every bar against the full extremes.
    const int h40 = static_cast<int>(kFull / 15.0 * 10);
    EXPECT_EQ(Heights(s), (std::vector<int>{0, h40, kFull}));
    // A zero SNR is an empty bar and leaves the extremes alone; a new strongest satellite is a
    // full bar and raises the scale for the bars to its right.
    Feed(s, {0, 60, 45});
    EXPECT_EQ(Heights(s), (std::vector<int>{0, kFull, static_cast<int>(kFull / 30.0 * 15)}));
    EXPECT_EQ(s.seenMin, 30);
    EXPECT_EQ(s.seenMax, 60);

    // "Reset Signal Quality": the first bar still has the old scale, the extremes are rebuilt
    // from the bars drawn, and the next paint uses those of the current data.
    Feed(s, {40, 50, 45});
    s.ResetExtremes();
    EXPECT_EQ(s.scaleMax, 60) << "the scale follows at the next paint";
    EXPECT_EQ(Heights(s), (std::vector<int>{static_cast<int>(kFull / 30.0 * 10), kFull,
                                            static_cast<int>(kFull / 10.0 * 5)}));
    EXPECT_EQ(s.seenMin, 40);
    EXPECT_EQ(s.seenMax, 50);
    EXPECT_EQ(Heights(s), (std::vector<int>{0, kFull, static_cast<int>(kFull / 10.0 * 5)}));
}

TEST(SignalQualityStateTest, FilledHeightStaysWithinTheBar) {
    struct {
        int scaleMax, scaleMin, snr, h;
    } const cases[] = {
        {45, 30, 45, kFull},  {45, 30, 30, 0},
        {45, 30, 99, kFull},  {45, 30, 0, 0},
        {40, 40, 40, kFull},  {40, 40, 41, kFull},
        {40, 40, 39, 0},      {40, 40, 0, 0},
        {-999, 999, 50, 0},   {INT_MAX, INT_MIN, 0, kFull / 2},
        {45, 30, INT_MIN, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SignalQualityState::FilledHeight(kFull, c.scaleMax, c.scaleMin, c.snr), c.h)
            << c.scaleMax << " " << c.scaleMin << " " << c.snr;
    }
    EXPECT_EQ(SignalQualityState::FilledHeight(-3, 45, 30, 40), 0) << "a graph too low for bars";
}

TEST(SignalQualityStateTest, BarCountComesFromTheHostBoundedToTheTable) {
    SignalQualityState s;
    EXPECT_FALSE(s.SetBarCount(12)) << "unchanged";
    EXPECT_TRUE(s.SetBarCount(8));
    EXPECT_FALSE(s.SetBarCount(0));
    EXPECT_FALSE(s.SetBarCount(-4));
    EXPECT_EQ(s.barCount, 8);
    EXPECT_TRUE(s.SetBarCount(14));
    const auto bars = s.Paint(kWidth, kHeight, kText);
    ASSERT_EQ(bars.size(), 14u);
    EXPECT_EQ(bars[13].prn, QStringLiteral("0")) << "the extra bars are the table's zero entries";
    EXPECT_TRUE(s.SetBarCount(1000));
    EXPECT_EQ(s.barCount, 32);
    EXPECT_EQ(s.Paint(kWidth, kHeight, kText).size(), 32u);
    EXPECT_FALSE(s.SetBarCount(33)) << "still the bound";
    // A narrow graph with many bars: the rows are applied as they stand, empty ones dropped.
    for (const auto& bar : s.Paint(20, kHeight, kText)) {
        EXPECT_FALSE(bar.upper.isValid());
    }
}

TEST(SignalQualityStateTest, SummaryNamesEveryBar) {
    SignalQualityState s;
    s.bars[0] = {5, 45, 1};
    s.bars[1] = {7, 0, 0};
    s.SetBarCount(2);
    EXPECT_EQ(s.Summary(), QStringLiteral("2 bars: 5 45 dB used; 7 no signal"));
}

TEST(SignalQualityStateTest, BarsOfSeveralSystemsAreLabelledInTwoRowsWhenTooNarrow) {
    EXPECT_EQ(SignalQualityState::Label({65, 40, 1, GnssSystem::Glonass}), QStringLiteral("R65"));
    EXPECT_EQ(SignalQualityState::Label({46, 40, 1, GnssSystem::Sbas}), QStringLiteral("S133"));
    EXPECT_EQ(SignalQualityState::Label({5, 40, 1}), QStringLiteral("5"));
    struct {
        int pitch, widest, rows;
    } const rows[] = {{42, 22, 1}, {24, 22, 1}, {23, 22, 2}, {15, 22, 2}, {15, 0, 1}};
    for (const auto& r : rows) {
        EXPECT_EQ(SignalQualityState::LabelRows(r.pitch, r.widest), r.rows)
            << r.pitch << " " << r.widest;
    }

    // 32 bars of 15 pixels: the labels alternate between two rows, each box twice the pitch and
    // within the client area; the bars stand one line higher.
    SignalQualityState s;
    for (int i = 0; i < 32; ++i) {
        s.bars[static_cast<size_t>(i)] = {i + 1, 40, 1, GnssSystem::Galileo};
    }
    s.SetBarCount(32);
    const auto one = s.Paint(kWidth, kHeight, kText);
    const auto two = s.Paint(kWidth, kHeight, kText, 22);
    ASSERT_EQ(two.size(), 32u);
    const int hc = kHeight - kText;
    EXPECT_EQ(one[0].frame.bottom(), kHeight - 12);
    EXPECT_EQ(two[0].frame.bottom(), hc - 12);
    EXPECT_EQ(two[0].prnBox, QRect(QPoint(0, hc - 10), QPoint(23, hc - 13 + kText)));
    // The second row's box ends where the one row's would, or at the client's last row.
    EXPECT_EQ(two[1].prnBox, QRect(QPoint(9, hc - 10 + kText), QPoint(38, kHeight - 1)));
    EXPECT_EQ(one[1].prnBox.bottom(), kHeight - 13 + kText);
    EXPECT_EQ(two[2].prnBox.left(), two[0].prnBox.right() + 1) << "a row's boxes meet";
    EXPECT_EQ(two[4].prn, QStringLiteral("E05"));

    // The values' font shrinks until two digits fit a bar's inside (here 1 pixel a digit per
    // pixel of size), down to 7 pixels.
    const auto digits = [](int pixels) { return 2 * pixels; };
    EXPECT_EQ(SignalQualityState::ValuePixelSize(42, 11, digits), 11);
    EXPECT_EQ(SignalQualityState::ValuePixelSize(24, 11, digits), 10);
    EXPECT_EQ(SignalQualityState::ValuePixelSize(8, 11, digits), 7);

    SignalQualityState few;
    few.bars[0] = {5, 45, 1, GnssSystem::Gps};
    few.bars[1] = {65, 38, 0, GnssSystem::Glonass};
    few.SetBarCount(3);
    EXPECT_EQ(few.Summary(), QStringLiteral("3 bars (GPS 1, 1 used; GLONASS 1, 0 used): G05 45 dB "
                                            "used; R65 38 dB; 0 no signal"));
}

}  // namespace
}  // namespace horalux
