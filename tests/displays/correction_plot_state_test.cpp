// The correction plot's decisions: what lies in the range, the scale, where things go, when the
// picture changes, and the plot in words.
#include <gtest/gtest.h>

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

TEST(CorrectionPlotStateTest, TheScaleCoversTheCorrectionsInRangeInRoundSteps) {
    struct Case {
        const char* what;
        std::vector<CorrectionPoint> points;
        CorrectionRange range;
        CorrectionPlotState::Scale scale;
    };
    const Case cases[] = {
        {"nothing", {}, CorrectionRange::Day, {0, 10, 5}},
        {"only failures", {Missed(kHour)}, CorrectionRange::Day, {0, 10, 5}},
        {"one +2.5 s and three +20 ms",
         {Set(60000, 2500), Set(40000, 20), Set(20000, 20), Set(0, 21)},
         CorrectionRange::Day,
         {0, 3000, 1000}},
        {"both signs",
         {Set(kHour, -45), Set(2 * kHour, 130)},
         CorrectionRange::Day,
         {-50, 150, 50}},
        {"a large correction older than a day counts only for the month",
         {Set(2 * 24 * kHour, -4000), Set(kHour, 12)},
         CorrectionRange::Day,
         {0, 15, 5}},
        {"... and for the month",
         {Set(2 * 24 * kHour, -4000), Set(kHour, 12)},
         CorrectionRange::Month,
         {-4000, 2000, 2000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CorrectionPlotState s;
        s.SetRange(c.range);
        s.SetPoints(c.points);
        s.SetNow(kNow);
        EXPECT_EQ(s.VerticalScale(), c.scale);
    }
    EXPECT_EQ(CorrectionPlotState::AxisLabel(0), QStringLiteral("0"));
    EXPECT_EQ(CorrectionPlotState::AxisLabel(-500), QStringLiteral("\u2212500 ms"));
    EXPECT_EQ(CorrectionPlotState::AxisLabel(2500), QStringLiteral("+2.5 s"));
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
    EXPECT_EQ(p.stems[0].y(), p.plot.top()) << "the largest reaches the top of the scale";
    ASSERT_EQ(p.timeTicks.size(), 5u);
    EXPECT_EQ(p.timeTicks.front().text, QStringLiteral("\u221224 h"));
    EXPECT_EQ(p.timeTicks.back().text, QStringLiteral("now"));
    EXPECT_EQ(p.correctionTicks.front().text, QStringLiteral("\u221220 ms"));
    EXPECT_EQ(p.correctionTicks.back().text, QStringLiteral("+40 ms"));
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
