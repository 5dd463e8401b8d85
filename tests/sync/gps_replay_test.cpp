// The GPS clock update end to end in one process: nmea-replay plays a receiver into one end of a
// pseudo-terminal pair; the program's serial port, reader and parser read the other end on a
// thread standing in for the main frame's event loop; the worker sets a virtual clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "gps_replay_rig.h"
#include "support/testdata.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using test::GpsReplayRig;

class GpsReplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        GpsReplayRig::useTimeZoneWithLocalNoon();
    }
    void TearDown() override {
        if (savedTz_) {
            setenv("TZ", savedTz_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    // Starts the rig with the virtual clock 7 s off and checks that two updates bring it to the
    // system time. The error allowed is generous for a loaded machine and sanitizer builds; the
    // expected one is a millisecond or two, the port being read as soon as bytes arrive.
    void expectUpdatesSetTheClock(GpsReplayRig& rig) {
        const std::string problem = rig.start();
        ASSERT_TRUE(problem.empty()) << problem;
        ASSERT_TRUE(rig.waitLocked(20s)) << "the replayed receiver never gave a time lock";
        for (int i = 0; i < 2; ++i) {
            rig.clock().setOffset(7000);
            const std::optional<int64_t> error = rig.update(15s);
            ASSERT_TRUE(error.has_value()) << "update " << i << " set nothing";
            EXPECT_LT(std::abs(*error), 400) << "update " << i;
            EXPECT_EQ(rig.flags().syncBusy.load(), 0);
        }
    }

    std::optional<std::string> savedTz_;
};

TEST_F(GpsReplayTest, SyntheticReceiverSetsTheVirtualClockToTheSecond) {
    GpsReplayRig rig({"--synthetic"}, 100);
    expectUpdatesSetTheClock(rig);
}

TEST_F(GpsReplayTest, CapturedReceiverSetsTheVirtualClockToTheSecond) {
    HORALUX_REQUIRE_CAPTURES();
    // A receiver with GGA fixes and 10 satellites in use (GSA), looped.
    GpsReplayRig rig({(*test::captureDir() / "mt3339.log").string(), "--loop"}, 250);
    expectUpdatesSetTheClock(rig);
}

TEST_F(GpsReplayTest, AReceiverFallingSilentEndsTheUpdateWithoutSetting) {
    GpsReplayRig rig({"--synthetic"}, 100);
    const std::string problem = rig.start();
    ASSERT_TRUE(problem.empty()) << problem;
    ASSERT_TRUE(rig.waitLocked(20s));
    rig.silenceReceiver();
    rig.clock().setOffset(7000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(rig.update(20s).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(rig.flags().syncBusy.load(), 0);
    EXPECT_NEAR(static_cast<double>(rig.clock().offsetMillis()), 7000.0, 5.0);
}

}  // namespace
}  // namespace horalux
