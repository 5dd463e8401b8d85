// Measuring the receiver's delay: the statistics of the samples, the choice of the SNTP exchange,
// what may be stored, and a whole measurement on a thread of its own with time sentences whose
// arrivals are known and a fake time server.
#include "sync/delay_measurement.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "gps/nmea_parser.h"
#include "sentence_feeder.h"
#include "sync/ntp_timestamp.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

struct FiguresCase {
    const char* name;
    std::vector<double> samples;
    DelayFigures expected;
};

void PrintTo(const FiguresCase& c, std::ostream* os) {
    *os << c.name;
}

class DelayFiguresTest : public ::testing::TestWithParam<FiguresCase> {};

TEST_P(DelayFiguresTest, MedianSpreadAndCountOfTheSamplesKept) {
    EXPECT_EQ(DelayFiguresOf(GetParam().samples), GetParam().expected);
}

std::vector<double> steadyWithTwoLate() {
    std::vector<double> s;
    for (int ms = 481; ms <= 493; ++ms) {
        s.push_back(ms);
    }
    s.insert(s.end(), 7, 487.0);
    s.push_back(640);  // held up on the way
    s.push_back(900);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Samples, DelayFiguresTest,
    ::testing::Values(
        FiguresCase{"One", {300}, {300, 0, 1, 0}},
        FiguresCase{"EvenCountTakesTheMiddlePair", {100, 106, 102, 104}, {103, 3, 4, 0}},
        FiguresCase{"LateSentencesAreLeftOut", steadyWithTwoLate(), {487, 3, 20, 2}},
        FiguresCase{
            "SmallLatenessIsKeptWithinTheFloor", {300, 292, 308, 296, 304, 300}, {300, 6, 6, 0}},
        FiguresCase{"ALateOneAmongTightOnes", {300, 301, 299, 302, 298, 340}, {300, 2, 5, 1}},
        FiguresCase{"EarlyReceiversGiveNegativeDelays", {-20, -18, -22}, {-20, 2, 3, 0}}),
    [](const ::testing::TestParamInfo<FiguresCase>& info) { return info.param.name; });

TEST(DelayStatisticsTest, NoSamplesNoFigures) {
    EXPECT_FALSE(DelayFiguresOf({}));
}

// An exchange whose offset is `offset` s and whose round trip is `roundTrip` s.
SntpResult exchange(double offset, double roundTrip) {
    SntpResult r;
    r.t1 = NtpTimestamp{3187296000ull} << 32;
    r.t2 = addNtpOffset(r.t1, offset + roundTrip / 2);
    r.t3 = addNtpOffset(r.t2, 0.0001);
    r.t4 = addNtpOffset(r.t1, roundTrip + 0.0001);
    r.offset = offset;
    return r;
}

TEST(DelayStatisticsTest, TheExchangeWithTheLeastRoundTripIsTrusted) {
    EXPECT_NEAR(RoundTripSeconds(exchange(2.0, 0.004)), 0.004, 1e-6);
    const std::optional<SntpResult> best =
        BestSntpSample({exchange(2.05, 0.120), exchange(2.0, 0.002), exchange(1.98, 0.040)});
    ASSERT_TRUE(best);
    EXPECT_DOUBLE_EQ(best->offset, 2.0);
    EXPECT_FALSE(BestSntpSample({}));
}

TEST(DelayStatisticsTest, ADelayIsTheArrivalLessTheSecondNamedWithinHalfADay) {
    const double noon = 1700006400000.0 + 12 * 3600000.0;  // a UTC midnight, plus 12 h
    const int noonSecond = 12 * 3600;
    EXPECT_NEAR(DelayMeasurement::DelayMs(noon + 2487, noonSecond + 2), 487, 1e-6);
    EXPECT_NEAR(DelayMeasurement::DelayMs(noon + 1950, noonSecond + 2), -50, 1e-6);
    // A sentence of 23:59:59 arriving at 00:00:00.300.
    EXPECT_NEAR(DelayMeasurement::DelayMs(1700006400300.0, 86399), 1300, 1e-6);
}

struct StoreCase {
    const char* name;
    DelayOutcome outcome;
    int median;
    std::optional<int> stored;
    const char* messagePart;
};

void PrintTo(const StoreCase& c, std::ostream* os) {
    *os << c.name;
}

class DelayStoreTest : public ::testing::TestWithParam<StoreCase> {};

TEST_P(DelayStoreTest, OnlyAMeasuredDelayWithinTheFixUpRangeIsStored) {
    const StoreCase& c = GetParam();
    DelayResult result;
    result.outcome = c.outcome;
    result.figures.medianMs = c.median;
    result.text = "The time server x did not answer. Nothing was stored.";
    const DelayToStore decision = DecideDelayToStore(result);
    EXPECT_EQ(decision.value, c.stored);
    EXPECT_NE(decision.message.find(c.messagePart), std::string::npos) << decision.message;
}

INSTANTIATE_TEST_SUITE_P(
    Results, DelayStoreTest,
    ::testing::Values(
        StoreCase{"Typical", DelayOutcome::Measured, 487, 487, ""},
        StoreCase{"HighestAllowed", DelayOutcome::Measured, 999, 999, ""},
        StoreCase{"LowestAllowed", DelayOutcome::Measured, -999, -999, ""},
        StoreCase{"TooLate", DelayOutcome::Measured, 1000, std::nullopt,
                  "The measured delay, 1000 ms, lies outside the fix-up delay's range of -999 to "
                  "999 ms. Nothing was stored."},
        StoreCase{"TooEarly", DelayOutcome::Measured, -1200, std::nullopt, "-1200 ms"},
        StoreCase{"NoServer", DelayOutcome::NoServer, 0, std::nullopt, "did not answer"},
        StoreCase{"Stopped", DelayOutcome::Stopped, 300, std::nullopt, ""}),
    [](const ::testing::TestParamInfo<StoreCase>& info) { return info.param.name; });

// --- A whole measurement ---------------------------------------------------------------------

// A server 2 s ahead of the PC. Every other exchange crosses a slow network that makes its
// offset look 50 ms larger; the measurement must trust the quick ones.
DelayMeasurement::SntpQuery aheadByTwoSeconds(std::atomic<int>& queries) {
    return [&queries](SystemClock&) -> std::optional<SntpResult> {
        return ++queries % 2 == 0 ? exchange(2.05, 0.100) : exchange(2.0, 0.002);
    };
}

std::optional<DelayResult> waitForResult(const DelayMeasurementThread& m) {
    for (int i = 0; i < 500 && !m.result(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    return m.result();
}

TEST(DelayMeasurementTest, PutsEachArrivalOnTheServersTimeAndTakesTheDelayOfTheSecondNamed) {
    GpsState gps;
    NmeaParser parser(gps);
    std::atomic<int> queries{0};
    // The measurement's own clock starts from the system time as it starts: ours, read just
    // before, is within a millisecond of it.
    const int64_t anchorUnixMs = systemUnixMillis();
    const int64_t anchorSteadyNs = steadyNanos();
    DelayMeasurementThread m(gps, "test-server", aheadByTwoSeconds(queries), 800ms);
    for (int i = 0; i < 500 && m.progress().sntpAnswers == 0; ++i) {
        std::this_thread::sleep_for(2ms);  // started: arrivals from now on are its own
    }
    // Twenty GGA sentences that reached the reader 300 ms (on the server's time) after the
    // second they name, and two more held up on the way.
    const int64_t firstSecond = (anchorUnixMs + 2000) / 1000 + 1;
    for (int i = 0; i < 22; ++i) {
        const int64_t named = firstSecond + i;
        const int late = i < 20 ? 300 : 300 + 250 * (i - 19);
        const int64_t arrivalNs =
            anchorSteadyNs + (named * 1000 + late - 2000 - anchorUnixMs) * 1000000;
        const int secondOfDay = static_cast<int>(named % 86400);
        parser.Dispatch(
            "GPGGA",
            test::ggaData(secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60).c_str(),
            arrivalNs);
    }
    const std::optional<DelayResult> result = waitForResult(m);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->outcome, DelayOutcome::Measured) << result->text;
    EXPECT_NEAR(result->figures.medianMs, 300, 2);
    EXPECT_LE(result->figures.spreadMs, 1);
    EXPECT_EQ(result->figures.samples, 20);
    EXPECT_EQ(result->figures.outliers, 2);
    EXPECT_GE(result->sntpAnswers, 2);
    EXPECT_NEAR(result->roundTripMs, 2.0, 0.01);
    EXPECT_EQ(result->text, DelayText(result->figures, "test-server"));
    EXPECT_NE(result->text.find(" ms \u00b1 "), std::string::npos);
    EXPECT_NE(result->text.find("20 sentences against test-server"), std::string::npos);
    const DelayProgress p = m.progress();
    EXPECT_TRUE(p.done);
    EXPECT_EQ(p.sentences, 22);
}

TEST(DelayMeasurementTest, SaysWhyWhenNothingCouldBeMeasuredAndStopsAtOnce) {
    GpsState gps;
    test::SentenceFeeder feeder(gps);
    feeder.start({{50ms, "GPGGA", test::ggaData(12, 0, 1)},
                  {50ms, "GPGGA", test::ggaData(12, 0, 2)},
                  {50ms, "GPGGA", test::ggaData(12, 0, 3)}});
    const auto noServer = [](SystemClock&) -> std::optional<SntpResult> { return std::nullopt; };
    DelayMeasurementThread unanswered(gps, "nowhere.invalid", noServer, 400ms);

    GpsState silent;
    std::atomic<int> queries{0};
    DelayMeasurementThread noSentences(silent, "test-server", aheadByTwoSeconds(queries), 400ms);

    DelayMeasurementThread stopped(silent, "test-server", aheadByTwoSeconds(queries), 60s);
    const auto stopAsked = std::chrono::steady_clock::now();
    stopped.Stop();
    std::optional<DelayResult> r = waitForResult(stopped);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, DelayOutcome::Stopped);
    EXPECT_LT(std::chrono::steady_clock::now() - stopAsked, 1s);

    r = waitForResult(unanswered);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, DelayOutcome::NoServer);
    EXPECT_EQ(r->text,
              "The time server nowhere.invalid did not answer, so the receiver's delay could not "
              "be measured. Nothing was stored.");
    r = waitForResult(noSentences);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, DelayOutcome::NoSentences);
    EXPECT_NE(r->text.find("Nothing was stored."), std::string::npos);
}

}  // namespace
}  // namespace horalux
