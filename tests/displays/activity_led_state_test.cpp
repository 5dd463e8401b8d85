// The activity light's cell and its flash, against a timer the test runs itself.
#include <gtest/gtest.h>

#include <string>

#include "displays/activity_led_state.h"

namespace horalux {
namespace {

TEST(ActivityLedStateTest, CellsOfTheSheetAndWhereTheyGo) {
    ActivityLedState led;
    EXPECT_EQ(led.Cell(), QPoint(16, 0)) << "dim, first row, at first";
    led.SetLed(16, 1, 128);  // the GPS status page: large circular green LED, dim
    EXPECT_EQ(led.Cell(), QPoint(16, 144));
    led.Flash(100);
    EXPECT_EQ(led.Cell(), QPoint(0, 144));
    led.SetLed(48, 2, 64);
    EXPECT_EQ(led.Cell(), QPoint(32, 112));
    EXPECT_TRUE(led.CellInSheet());
    for (auto [colour, state, shape] : {std::tuple{0, 3, 0}, {176, 0, 16}, {-16, 0, 0}}) {
        led.SetLed(colour, state, shape);
        EXPECT_FALSE(led.CellInSheet()) << colour << " " << state << " " << shape;
    }

    EXPECT_EQ(ActivityLedState::TargetOrigin(QSize(16, 16)), QPoint(0, 0));
    EXPECT_EQ(ActivityLedState::TargetOrigin(QSize(21, 30)), QPoint(2, 7));
    EXPECT_EQ(ActivityLedState::TargetOrigin(QSize(12, 13)), QPoint(0, 0)) << "cut off";
    EXPECT_EQ(ActivityLedState::TargetOrigin(QSize(40, 15)), QPoint(0, 0));
}

// Runs the light with a timer of its own: Flash every `everyMs` until `lastFlashMs`, the clock
// stepping 10 ms. Returns the light's state at each step, "L" lit and "d" dim.
std::string LightOver(int everyMs, int lastFlashMs, int untilMs) {
    ActivityLedState led;
    led.SetLed(16, 1, 128);
    bool running = false;
    int due = 0;
    const auto apply = [&](ActivityLedState::TimerCommand c, int now) {
        if (c.stop) {
            running = false;
        }
        if (c.startMs >= 0) {
            running = true;
            due = now + c.startMs;
        }
    };
    std::string states;
    for (int now = 0; now <= untilMs; now += 10) {
        if (running && now >= due) {
            apply(led.OnTimer(ActivityLedState::kFlashTimer), now);
        }
        if (now % everyMs == 0 && now <= lastFlashMs) {
            apply(led.Flash(100), now);
        }
        states += led.ledState == 0 ? 'L' : 'd';
        EXPECT_EQ(led.flashing, led.ledState == 0);
    }
    return states;
}

TEST(ActivityLedStateTest, FlashesKeepItLitAndItDimsTheirDurationAfterTheLast) {
    // Every 50 ms from 0 to 400 ms: lit throughout, dim from 500 ms.
    EXPECT_EQ(LightOver(50, 400, 600), std::string(50, 'L') + std::string(11, 'd'));
    // Once a second, as a receiver's bursts come: lit for 100 ms each time.
    EXPECT_EQ(LightOver(1000, 2000, 2500), "LLLLLLLLLL" + std::string(90, 'd') + "LLLLLLLLLL" +
                                               std::string(90, 'd') + "LLLLLLLLLL" +
                                               std::string(41, 'd'));
}

TEST(ActivityLedStateTest, OtherTimersChangeNothing) {
    ActivityLedState led;
    const auto flash = led.Flash(100);
    EXPECT_FALSE(flash.stop);
    EXPECT_EQ(flash.startMs, 100);
    const auto again = led.Flash(100);
    EXPECT_TRUE(again.stop) << "the running flash is stopped and started afresh";
    const auto other = led.OnTimer(2);
    EXPECT_FALSE(other.stop);
    EXPECT_LT(other.startMs, 0);
    EXPECT_EQ(led.ledState, 0);
    EXPECT_TRUE(led.flashing);
    EXPECT_TRUE(led.OnTimer(1).stop);
    EXPECT_EQ(led.ledState, 1);
    EXPECT_FALSE(led.flashing);
}

}  // namespace
}  // namespace horalux
