// The correction plot's decisions: what lies in the range, the scale (linear within a millisecond,
// then by decades), where things go, when the picture changes, and the plot in words.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <utility>

#include "displays/correction_plot_state.h"

namespace horalux {
namespace {

constexpr int64_t kNow = 1714572000000;  // 2024-05-01 14:00:00 UTC
constexpr int64_t kMinute = 60000;
constexpr int64_t kHour = 60 * kMinute;

CorrectionPoint Set(int64_t before, int64_t correction) {
    return {kNow - before, true, correction};
}
CorrectionPoint Missed(int64_t before) {
    return {kNow - before, false, 0};
}

int TextWidth(const QString& text) {
    return static_cast<int>(text.size()) * 6;
}

TEST(CorrectionPlotStateTest, TheScaleReachesTheDecadesTheCorrectionsInRangeNeed) {
    using Grid = std::vector<int64_t>;
    constexpr int64_t kMost = 1000000000000000000;  // 10^18 ms
    struct Case {
        const char* what;
        std::vector<CorrectionPoint> points;
        CorrectionRange range;
        CorrectionPlotState::Scale scale;
        Grid grid;
    };
    const Case cases[] = {
        {"nothing", {}, CorrectionRange::Day, {0, 10}, {0, 10}},
        {"only failures", {Missed(kHour)}, CorrectionRange::Day, {0, 10}, {0, 10}},
        {"only zero corrections", {Set(kHour, 0)}, CorrectionRange::Day, {0, 10}, {0, 10}},
        {"±1 ms", {Set(kHour, 1), Set(0, -1)}, CorrectionRange::Day, {-10, 10}, {-10, 0, 10}},
        {"one +2.5 s and three +20 ms",
         {Set(60000, 2500), Set(40000, 20), Set(20000, 20), Set(0, 21)},
         CorrectionRange::Day,
         {0, 10000},
         {0, 10, 100, 1000, 10000}},
        {"a decade itself is the end",
         {Set(kHour, 1000), Set(0, -100)},
         CorrectionRange::Day,
         {-100, 1000},
         {-100, -10, 0, 10, 100, 1000}},
        {"both signs",
         {Set(kHour, -45), Set(2 * kHour, 130)},
         CorrectionRange::Day,
         {-100, 1000},
         {-100, -10, 0, 10, 100, 1000}},
        {"a large correction older than a day counts only for the month",
         {Set(2 * 24 * kHour, -4000), Set(kHour, 12)},
         CorrectionRange::Day,
         {0, 100},
         {0, 10, 100}},
        {"... and for the month",
         {Set(2 * 24 * kHour, -4000), Set(kHour, 12)},
         CorrectionRange::Month,
         {-10000, 100},
         {-10000, -1000, -100, -10, 0, 10, 100}},
        {"the largest corrections end at 10^18 ms",
         {Set(kHour, INT64_MIN), Set(0, INT64_MAX)},
         CorrectionRange::Day,
         {-kMost, kMost},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CorrectionPlotState s;
        s.SetRange(c.range);
        s.SetPoints(c.points);
        s.SetNow(kNow);
        EXPECT_EQ(s.VerticalScale(), c.scale);
        if (!c.grid.empty()) {
            EXPECT_EQ(s.VerticalScale().Gridlines(), c.grid);
        }
    }
    const Grid widest = CorrectionPlotState::Scale{-kMost, kMost}.Gridlines();
    ASSERT_EQ(widest.size(), 37u) << "0 and 18 decades on either side";
    EXPECT_EQ(widest.front(), -kMost);
    EXPECT_EQ(widest.back(), kMost);

    struct Label {
        int64_t ms;
        const char* text;
    };
    for (const Label& l :
         {Label{0, "0"}, Label{10, "+10 ms"}, Label{-500, "\u2212500 ms"}, Label{2500, "+2.5 s"},
          Label{-1000, "\u22121 s"}, Label{10000, "+10 s"}, Label{1000000000, "+1000000 s"}}) {
        EXPECT_EQ(CorrectionPlotState::AxisLabel(l.ms), QString::fromUtf8(l.text)) << l.ms;
    }
}

TEST(CorrectionPlotStateTest, MapsCorrectionsLinearlyWithinAMillisecondThenByDecades) {
    const CorrectionPlotState::Scale scale{-1000, 10000};
    // Monotonic over the whole range of corrections, strictly within the scale, clamped outside.
    const int64_t values[] = {INT64_MIN, -5000, -1000, -999, -100, -20,  -10,   -2,    -1,       0,
                              1,         2,     10,    11,   100,  2500, 10000, 20000, INT64_MAX};
    for (size_t i = 1; i < std::size(values); ++i) {
        const double before = scale.Fraction(values[i - 1]);
        const double after = scale.Fraction(values[i]);
        if (values[i - 1] >= scale.lowMs && values[i] <= scale.highMs) {
            EXPECT_LT(before, after) << values[i - 1] << " and " << values[i];
        } else {
            EXPECT_LE(before, after) << values[i - 1] << " and " << values[i];
        }
    }
    EXPECT_EQ(scale.Fraction(INT64_MIN), 0.0);
    EXPECT_EQ(scale.Fraction(-1000), 0.0);
    EXPECT_EQ(scale.Fraction(10000), 1.0);
    EXPECT_EQ(scale.Fraction(INT64_MAX), 1.0);
    // One unit from 0 to 1 ms, from 1 to 10 ms and for each decade after, on either side.
    const double unit = scale.Fraction(1) - scale.Fraction(0);
    EXPECT_GT(unit, 0.0);
    for (const auto& [from, to] : std::vector<std::pair<int64_t, int64_t>>{
             {-1, 0}, {1, 10}, {10, 100}, {100, 1000}, {1000, 10000}, {-1000, -100}, {-10, -1}}) {
        EXPECT_NEAR(scale.Fraction(to) - scale.Fraction(from), unit, 1e-9) << from << ".." << to;
    }
}

TEST(CorrectionPlotStateTest, SmallCorrectionsAfterALargeOneStandClearOfZero) {
    // The first update after a start sets +2.5 s, the next ones about +20 ms; at the size the
    // Update PC Clock tab gives the plot (about 500 x 118 pixels, 13-pixel text) each reads.
    CorrectionPlotState s;
    s.SetPoints({Set(3 * kHour, 2500), Set(2 * kHour, 20), Set(kHour, 18), Set(0, -12)});
    s.SetNow(kNow);
    const auto p = s.Layout(504, 118, 13, TextWidth);
    ASSERT_TRUE(p.plot.isValid());
    ASSERT_EQ(p.stems.size(), 4u);
    const auto tickRow = [&](const char* text) {
        for (const auto& t : p.correctionTicks) {
            if (t.text == QString::fromUtf8(text)) {
                return t.position;
            }
        }
        ADD_FAILURE() << "no label " << text;
        return 0;
    };
    EXPECT_LT(p.stems[0].y(), tickRow("+1 s"));
    EXPECT_GT(p.stems[0].y(), tickRow("+10 s"));
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_GE(std::abs(p.stems[i].y() - p.zeroRow), 20) << "stem " << i;
    }
    EXPECT_LT(p.stems[1].y(), tickRow("+10 ms"));
    EXPECT_GT(p.stems[3].y(), tickRow("\u221210 ms"));
    EXPECT_EQ(p.correctionTicks.size(), 7u) << "\u2212100 ms to +10 s, every one labelled";

    // Labels that would crowd each other are left out: never two closer than three quarters of
    // a line; 0 and the ends always there.
    CorrectionPlotState wide;
    wide.SetPoints({Set(kHour, -3600000), Set(0, 40LL * 24 * 3600000)});
    wide.SetNow(kNow);
    for (const int height : {60, 118, 400}) {
        SCOPED_TRACE(height);
        const auto w = wide.Layout(504, height, 13, TextWidth);
        ASSERT_TRUE(w.plot.isValid());
        ASSERT_EQ(w.correctionTicks.size(), 18u) << "\u221210000 s to +10000000 s";
        EXPECT_EQ(w.correctionTicks.front().text, QStringLiteral("\u221210000 s"));
        EXPECT_EQ(w.correctionTicks.back().text, QStringLiteral("+10000000 s"));
        EXPECT_EQ(w.correctionTicks.front().position, w.plot.bottom());
        EXPECT_EQ(w.correctionTicks.back().position, w.plot.top());
        std::vector<int> labelled;
        for (const auto& t : w.correctionTicks) {
            if (t.position == w.zeroRow) {
                EXPECT_EQ(t.text, QStringLiteral("0"));
            }
            if (!t.text.isEmpty()) {
                for (int other : labelled) {
                    EXPECT_GE(std::abs(other - t.position), 9) << t.text.toStdString();
                }
                labelled.push_back(t.position);
            }
        }
        EXPECT_EQ(labelled.size() == w.correctionTicks.size(), height == 400);
    }
}

TEST(CorrectionPlotStateTest, ThePictureChangesOnlyWhenSomethingWouldMove) {
    CorrectionPlotState s;
    EXPECT_TRUE(s.SetNow(kNow + 1)) << "the first time";
    EXPECT_FALSE(s.SetNow(kNow + 59000)) << "the same minute";
    EXPECT_TRUE(s.SetNow(kNow + 61000)) << "the next minute";
    EXPECT_TRUE(s.SetPoints({Set(kHour, 20)}));
    EXPECT_FALSE(s.SetPoints({Set(kHour, 20)}));
    EXPECT_FALSE(s.SetPoints({Set(kHour, 20), Set(3 * 24 * kHour, 400)}))
        << "an update outside the range changes nothing drawn";
    EXPECT_TRUE(s.SetRange(CorrectionRange::Month));
    EXPECT_FALSE(s.SetRange(CorrectionRange::Month));
    EXPECT_FALSE(s.SetNow(kNow + 30 * kMinute)) << "the month moves by the hour";
    EXPECT_TRUE(s.SetNow(kNow + 61 * kMinute));
    // An update that leaves the window as time goes on changes the picture at once.
    CorrectionPlotState day;
    day.SetPoints({Set(24 * kHour - 30000, 5)});
    day.SetNow(kNow);
    EXPECT_TRUE(day.SetNow(kNow + 1000)) << "the window's end stays, its one update leaves";
}

TEST(CorrectionPlotStateTest, LaysOutStemsMarksAndTicks) {
    CorrectionPlotState s;
    s.SetPoints({Set(24 * kHour, 999), Set(18 * kHour, 40), Missed(12 * kHour), Set(6 * kHour, -20),
                 Set(0, 20)});
    s.SetNow(kNow);
    const auto p = s.Layout(400, 150, 12, TextWidth);
    ASSERT_TRUE(p.plot.isValid());
    EXPECT_GT(p.plot.left(), TextWidth(QStringLiteral("\u221220 ms")));
    EXPECT_LT(p.plot.bottom(), 150 - 12) << "room for the time labels";
    ASSERT_EQ(p.stems.size(), 3u) << "the one exactly 24 hours ago lies outside";
    ASSERT_EQ(p.misses.size(), 1u);
    // Evenly over the time: 18 h, 12 h, 6 h and 0 h before now.
    const double quarter = (p.plot.right() - p.plot.left()) / 4.0;
    EXPECT_NEAR(p.stems[0].x(), p.plot.left() + quarter, 1);
    EXPECT_NEAR(p.misses[0], p.plot.left() + 2 * quarter, 1);
    EXPECT_NEAR(p.stems[2].x(), p.plot.right(), 1);
    // Up for positive corrections, down for negative, the zero row between.
    EXPECT_LT(p.stems[0].y(), p.zeroRow);
    EXPECT_GT(p.stems[1].y(), p.zeroRow);
    EXPECT_NEAR(p.zeroRow - p.stems[2].y(), p.stems[1].y() - p.zeroRow, 1);
    ASSERT_EQ(p.correctionTicks.size(), 5u);
    EXPECT_EQ(p.correctionTicks[2].position, p.zeroRow);
    EXPECT_LT(p.stems[0].y(), p.correctionTicks[3].position) << "+40 ms above +10 ms";
    EXPECT_GT(p.stems[0].y(), p.correctionTicks[4].position) << "+40 ms below +100 ms";
    EXPECT_EQ(p.correctionTicks[4].position, p.plot.top()) << "the scale's end at the top";
    ASSERT_EQ(p.timeTicks.size(), 5u);
    EXPECT_EQ(p.timeTicks.front().text, QStringLiteral("\u221224 h"));
    EXPECT_EQ(p.timeTicks.back().text, QStringLiteral("now"));
    EXPECT_EQ(p.correctionTicks.front().text, QStringLiteral("\u2212100 ms"));
    EXPECT_EQ(p.correctionTicks.back().text, QStringLiteral("+100 ms"));
    EXPECT_TRUE(p.empty.isEmpty());

    s.SetRange(CorrectionRange::Month);
    EXPECT_EQ(s.Layout(400, 150, 12, TextWidth).timeTicks.front().text,
              QStringLiteral("\u221230 d"));
    CorrectionPlotState none;
    none.SetNow(kNow);
    EXPECT_EQ(none.Layout(400, 150, 12, TextWidth).empty,
              QStringLiteral("No clock updates in the last 24 hours"));
    EXPECT_FALSE(none.Layout(20, 10, 12, TextWidth).plot.isValid()) << "too small to draw";
}

TEST(CorrectionPlotStateTest, SaysWhatItShowsWithItsNumbers) {
    CorrectionPlotState s;
    s.SetNow(kNow);
    EXPECT_EQ(s.Summary(), QStringLiteral("Clock corrections in the last 24 hours: no updates."));
    s.SetPoints({Missed(3 * kHour)});
    EXPECT_EQ(s.Summary(), QStringLiteral("Clock corrections in the last 24 hours: 1 update, 0 "
                                          "set, 1 not set."));
    s.SetPoints({Set(61 * kMinute, 2500), Set(60 * kMinute, 20), Missed(30 * kMinute),
                 Set(2 * kMinute, -12)});
    EXPECT_EQ(s.Summary(),
              QStringLiteral("Clock corrections in the last 24 hours: 4 updates, 3 set, 1 not set; "
                             "from \u221212 ms to +2.500 s; the latest: \u221212 ms at 13:58, "
                             "+20 ms at 13:00, +2.500 s at 12:59 UTC."));
}

}  // namespace
}  // namespace horalux
