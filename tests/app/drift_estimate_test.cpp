// The PC clock's drift from the corrections of the updates that set it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/drift_estimate.h"

namespace horalux {
namespace {

constexpr int64_t kStart = 1714572000000;
constexpr int64_t kMinute = 60000;
constexpr int64_t kHour = 60 * kMinute;

struct Update {
    int64_t atMs;
    int64_t correctionMs;
    UpdateResult result = UpdateResult::Set;
};

std::vector<UpdateOutcome> Record(const std::vector<Update>& updates) {
    std::vector<UpdateOutcome> record;
    for (const Update& u : updates) {
        UpdateOutcome o;
        o.timeMs = u.atMs;
        o.result = u.result;
        if (u.result == UpdateResult::Set) {
            o.correctionMs = u.correctionMs;
        }
        record.push_back(o);
    }
    return record;
}

// A clock running `ppm` fast (gaining), set every `every` ms, each setting off by up to
// `noiseMs` either way; the first setting finds it `firstMs` off.
std::vector<Update> Series(double ppm, int64_t every, int count, double noiseMs, int64_t firstMs,
                           unsigned seed = 1) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> noise(-noiseMs, noiseMs);
    std::vector<Update> series;
    double error = 0.0;  // of the last setting
    for (int i = 0; i < count; ++i) {
        const double next = noise(random);
        const double drifted = i == 0 ? static_cast<double>(firstMs)
                                      : -ppm * 1e-6 * static_cast<double>(every) - error + next;
        series.push_back({kStart + i * every, std::llround(drifted)});
        error = next;
    }
    return series;
}

TEST(DriftEstimateTest, FindsKnownRatesThroughNoiseGapsAndOutliers) {
    struct Case {
        const char* what;
        std::vector<Update> updates;
        double ppm;        // expected
        double tolerance;  // ppm
        int intervals;
    };
    std::vector<Case> cases{
        {"1000 ppm slow, every 20 s", Series(-1000, 20000, 4, 0, 2500), -1000, 0.1, 3},
        {"12.4 ppm fast, hourly for a day", Series(12.4, kHour, 25, 0, -800), 12.4, 0.3, 24},
        {"30 ppm slow, hourly, settings 5 ms off", Series(-30, kHour, 48, 5, 40), -30, 0.5, 47},
        {"50 ppm fast, every minute, 20 ms of noise", Series(50, kMinute, 200, 20, 0), 50, 5, 199},
    };
    // A gap: the machine was off for three days, its clock ran at another rate meanwhile.
    std::vector<Update> gap = Series(-20, kHour, 24, 2, 100);
    for (const Update& u : Series(-20, kHour, 24, 2, 0, 7)) {
        gap.push_back({u.atMs + 4 * 24 * kHour, u.correctionMs});
    }
    gap[24].correctionMs = 9000;  // three days at another rate
    cases.push_back({"a three-day gap", gap, -20, 1, 46});
    // A gap the clock ran through at its own rate counts, and weighs as its length.
    cases.push_back({"a gap at the same rate",
                     {{kStart, 0},
                      {kStart + kHour, 72},
                      {kStart + 2 * kHour, 72},
                      {kStart + 50 * kHour, 48 * 72}},
                     -20,
                     0.01,
                     3});
    // Outliers: a wrong second from a receiver, a clock set by someone else in between.
    std::vector<Update> outliers = Series(15, kHour, 30, 3, 0);
    outliers[10].correctionMs += 1000;
    outliers[20].correctionMs -= 3600000;
    cases.push_back({"two outliers", outliers, 15, 1, 27});
    // Updates that did not set the clock: the next interval runs from the last one that did.
    cases.push_back({"failures between settings",
                     {{kStart, 500},
                      {kStart + kHour, 0, UpdateResult::ServerSilent},
                      {kStart + 2 * kHour, 144},
                      {kStart + 3 * kHour, 0, UpdateResult::NotLocked},
                      {kStart + 4 * kHour, 144}},
                     -20,
                     0.01,
                     2});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto drift = EstimateDrift(Record(c.updates), c.updates.back().atMs + kMinute);
        ASSERT_TRUE(drift.has_value());
        EXPECT_NEAR(drift->ppm, c.ppm, c.tolerance);
        EXPECT_EQ(drift->intervals, c.intervals);
        EXPECT_NEAR(drift->secondsPerDay(), drift->ppm * 0.0864, 1e-9);
    }
}

TEST(DriftEstimateTest, NeedsTwoSettingsWithinThirtyDays) {
    const int64_t day = 24 * kHour;
    struct Case {
        const char* what;
        std::vector<Update> updates;
        int64_t nowMs;
        bool estimate;
    };
    const Case cases[] = {
        {"no updates", {}, kStart, false},
        {"one setting", {{kStart, 2500}}, kStart, false},
        {"one setting and failures",
         {{kStart, 2500}, {kStart + kHour, 0, UpdateResult::NotLocked}},
         kStart + kHour,
         false},
        {"two settings", {{kStart, 2500}, {kStart + kHour, 36}}, kStart + kHour, true},
        {"two settings, one older than 30 days",
         {{kStart, 2500}, {kStart + 31 * day, 36}},
         kStart + 31 * day,
         false},
        {"two settings at the same moment", {{kStart, 2500}, {kStart, 36}}, kStart, false},
        {"settings after now are not looked at",
         {{kStart, 2500}, {kStart + kHour, 36}},
         kStart + kHour - 1,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EstimateDrift(Record(c.updates), c.nowMs).has_value(), c.estimate);
    }
}

TEST(DriftEstimateTest, ReadsWithItsSignAndADaysWorth) {
    struct Case {
        double ppm;
        const char* text;
    };
    for (const Case& c :
         {Case{-12.4, "\u221212.4 ppm (\u22121.07 s a day)"},
          Case{1000, "+1000.0 ppm (+86.40 s a day)"}, Case{0.01, "0.0 ppm (0.00 s a day)"},
          Case{-0.6, "\u22120.6 ppm (\u22120.05 s a day)"}}) {
        DriftEstimate drift;
        drift.ppm = c.ppm;
        EXPECT_EQ(FormatDrift(drift), c.text);
    }
}

}  // namespace
}  // namespace horalux
