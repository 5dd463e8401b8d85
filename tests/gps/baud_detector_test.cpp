// The speed search's rules, on a simulated line: a receiver sends one burst a second at its
// speed; at the same speed the reader makes sentences of it, at any other only bytes.
#include "gps/baud_detector.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace horalux {
namespace {

using Kind = BaudDetector::Step::Kind;

// What the receiver does from a moment on.
struct Phase {
    int64_t fromMs;
    int baud;  // 0: silent
};

struct SearchCase {
    const char* name;
    int storedBaud;
    std::vector<Phase> receiver;
    int64_t runMs;
    std::optional<int> foundBaud;  // the last speed found, if any
    int64_t foundWithinMs;         // after the last phase began
    int maxSwitches;               // speeds tried at most
};

void PrintTo(const SearchCase& c, std::ostream* os) {
    *os << c.name;
}

class BaudDetectorTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(BaudDetectorTest, FindsTheSpeedByItsRules) {
    const SearchCase& c = GetParam();
    BaudDetector detector(c.storedBaud);
    int lineBaud = c.storedBaud;
    int64_t lineSetAt = 0;
    uint64_t bytes = 0;
    uint64_t sentences = 0;
    std::optional<int> found;
    int64_t foundAt = -1;
    int switches = 0;
    for (int64_t now = 0; now <= c.runMs; now += 50) {
        int sending = 0;
        for (const Phase& p : c.receiver) {
            if (now >= p.fromMs) {
                sending = p.baud;
            }
        }
        // A burst from 100 to 600 ms of each second; whole sentences only at the right speed,
        // and only once the line has run a while at it (the burst cut by the change is lost).
        const int64_t inSecond = now % 1000;
        if (sending != 0 && inSecond >= 100 && inSecond < 600) {
            bytes += 25;
            if (sending == lineBaud && inSecond == 300 && now - lineSetAt > 250) {
                ++sentences;
            }
        }
        const BaudDetector::Step step = detector.Observe(now, bytes, sentences);
        if (step.kind == Kind::TrySpeed) {
            ++switches;
            lineBaud = step.baud;
            lineSetAt = now;
        } else if (step.kind == Kind::Found) {
            EXPECT_EQ(step.baud, lineBaud);
            found = step.baud;
            foundAt = now;
        }
    }
    EXPECT_EQ(found, c.foundBaud);
    if (c.foundBaud) {
        EXPECT_LE(foundAt - c.receiver.back().fromMs, c.foundWithinMs);
        EXPECT_FALSE(detector.searching());
        EXPECT_EQ(detector.baud(), *c.foundBaud);
    }
    EXPECT_LE(switches, c.maxSwitches);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BaudDetectorTest,
    ::testing::Values(
        // A good stream is never interrupted, however long it runs.
        SearchCase{"GoodStream", 4800, {{0, 4800}}, 60000, std::nullopt, 0, 0},
        // Silence (unplugged, the wrong device) never makes it cycle.
        SearchCase{"Silence", 4800, {{0, 0}}, 60000, std::nullopt, 0, 0},
        // Garbage at the stored speed: the next speed up is found within one round.
        SearchCase{"NineSixHundredStoredAtFortyEight", 4800, {{0, 9600}}, 30000, 9600, 4500, 1},
        SearchCase{"FastModuleStoredAtFortyEight", 4800, {{0, 115200}}, 30000, 115200, 12500, 5},
        // From a speed above the receiver's: round past the fastest to the slowest.
        SearchCase{"WrapsRound", 57600, {{0, 9600}}, 30000, 9600, 9000, 3},
        // A receiver at a speed the list does not hold: the search goes on, round after round.
        SearchCase{"NeverAtAnUnlistedSpeed", 4800, {{0, 2400}}, 60000, std::nullopt, 0, 30},
        // Found, then the receiver falls silent: nothing more happens (the speed was found before
        // the silence began, and no speed is tried after it).
        SearchCase{"FoundThenUnplugged", 4800, {{0, 38400}, {20000, 0}}, 60000, 38400, 0, 3},
        // A receiver that changes its speed is followed.
        SearchCase{
            "ReceiverChangesSpeed", 9600, {{0, 9600}, {10000, 38400}}, 40000, 38400, 7000, 2}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return info.param.name; });

TEST(BaudDetectorTest, TriesTheUsualSpeedsInTurn) {
    EXPECT_EQ(BaudDetector::NextSpeed(4800), 9600);
    EXPECT_EQ(BaudDetector::NextSpeed(57600), 115200);
    EXPECT_EQ(BaudDetector::NextSpeed(115200), 4800);
    EXPECT_EQ(BaudDetector::NextSpeed(2400), 4800);  // not among them: from the first
    // A full round from a wrong speed: 2 s of garbage, then 2 s at each of the five others.
    EXPECT_LE(BaudDetector::kGarbledMs + 5 * BaudDetector::kTryMs, 15000);
}

}  // namespace
}  // namespace horalux
