// The bubble tip's decisions, driven by synthetic ticks: no display, no sleeping.
#include "ui/bubble_tip_logic.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

using Action = BubbleTipLogic::Action;
using State = BubbleTipLogic::State;

const QRect kScreen(0, 0, 1024, 768);
const QSize kClient(100, 100);

class BubbleTipLogicTest : public ::testing::Test {
  protected:
    // Two registered controls and an unregistered window (the page itself).
    int controlA = 0;
    int controlB = 0;
    int page = 0;
    BubbleTipLogic tip;

    void SetUp() override {
        tip.addTool(&controlA, "Shows the time from the GPS reciever.");
        tip.addTool(&controlB, "Sets the PC clock now.");
    }

    // Runs `n` ticks and returns the tick (1-based) at which each action first came, or 0.
    struct Seen {
        int firstShow = 0;
        int shows = 0;
        int firstHide = 0;
    };
    Seen run(int n) {
        Seen seen;
        for (int i = 1; i <= n; ++i) {
            const Action action = tip.tick();
            if (action == Action::Show) {
                ++seen.shows;
                if (seen.firstShow == 0) {
                    seen.firstShow = i;
                }
            }
            if (action == Action::Hide && seen.firstHide == 0) {
                seen.firstHide = i;
            }
        }
        return seen;
    }
    // Ticks until the balloon is due, returning how many ticks that took (0: never within n).
    int ticksUntilShow(int n) {
        for (int i = 1; i <= n; ++i) {
            if (tip.tick() == Action::Show) {
                return i;
            }
        }
        return 0;
    }
};

TEST_F(BubbleTipLogicTest, RestingOnAControlShowsAfterOneSecondAndSpendsAfterFiveMore) {
    EXPECT_EQ(tip.mouseMoved(&controlA), Action::None);
    EXPECT_TRUE(tip.overTool());
    EXPECT_EQ(tip.currentText(), "Shows the time from the GPS reciever.");

    // First tick: idle -> waiting; then ten ticks of hover delay.
    const int shownAt = ticksUntilShow(100);
    EXPECT_EQ(shownAt, 1 + BubbleTipLogic::kHoverDelay);
    EXPECT_EQ(tip.state(), State::Shown);
    EXPECT_EQ(tip.ticksShown(), 0);

    // Fifty ticks on display, then spent; the tick after that asks for the balloon to go.
    Seen seen = run(BubbleTipLogic::kDisplayTime);
    EXPECT_EQ(seen.shows, 0);
    EXPECT_EQ(seen.firstHide, 0);
    EXPECT_EQ(tip.state(), State::Spent);
    EXPECT_EQ(tip.tick(), Action::Hide);

    // It stays hidden as long as the mouse stays on the control, however long.
    seen = run(500);
    EXPECT_EQ(seen.shows, 0);
    EXPECT_EQ(tip.state(), State::Spent);
    // Moving within the same control changes nothing.
    tip.mouseMoved(&controlA);
    EXPECT_EQ(run(100).shows, 0);
}

TEST_F(BubbleTipLogicTest, LeavingAndComingBackShowsItAgain) {
    tip.mouseMoved(&controlA);
    ASSERT_GT(ticksUntilShow(100), 0);
    run(60);
    ASSERT_EQ(tip.state(), State::Spent);

    EXPECT_EQ(tip.mouseMoved(&page), Action::Hide);
    EXPECT_FALSE(tip.overTool());
    EXPECT_EQ(tip.state(), State::Idle);
    // More moves over the page ask for nothing further.
    EXPECT_EQ(tip.mouseMoved(&page), Action::None);

    tip.mouseMoved(&controlA);
    EXPECT_EQ(ticksUntilShow(100), 1 + BubbleTipLogic::kHoverDelay);
}

TEST_F(BubbleTipLogicTest, LeavingWhileWaitingOrShownCancels) {
    tip.mouseMoved(&controlA);
    run(5);
    ASSERT_EQ(tip.state(), State::Waiting);
    EXPECT_EQ(tip.mouseMoved(nullptr), Action::Hide);
    EXPECT_EQ(run(100).shows, 0);
    EXPECT_EQ(tip.state(), State::Idle);

    tip.mouseMoved(&controlA);
    ASSERT_GT(ticksUntilShow(100), 0);
    tip.mouseMoved(&page);
    EXPECT_EQ(tip.state(), State::Idle);
    EXPECT_EQ(tip.tick(), Action::Hide);
}

TEST_F(BubbleTipLogicTest, ClickOrKeyHidesWithinOneTickUntilTheMouseLeaves) {
    for (int variant = 0; variant < 2; ++variant) {
        BubbleTipLogic fresh;
        fresh.addTool(&controlA, "a");
        fresh.mouseMoved(&controlA);
        int ticks = 0;
        while (fresh.tick() != Action::Show && ++ticks < 100) {
        }
        ASSERT_EQ(fresh.state(), State::Shown);
        fresh.keyOrButtonPressed();  // a key press and a click are the same event here
        EXPECT_EQ(fresh.state(), State::Spent);
        EXPECT_EQ(fresh.tick(), Action::Hide) << "hidden at the next tick";
        for (int i = 0; i < 200; ++i) {
            ASSERT_NE(fresh.tick(), Action::Show);
        }
        fresh.mouseMoved(variant == 0 ? nullptr : static_cast<const void*>(&page));
        fresh.mouseMoved(&controlA);
        ticks = 0;
        while (fresh.tick() != Action::Show && ++ticks < 100) {
        }
        EXPECT_EQ(ticks, BubbleTipLogic::kHoverDelay) << "shows again after coming back";
    }
}

TEST_F(BubbleTipLogicTest, ClickWhileWaitingPreventsTheBalloon) {
    tip.mouseMoved(&controlA);
    run(4);
    tip.keyOrButtonPressed();
    EXPECT_EQ(run(200).shows, 0);
}

TEST_F(BubbleTipLogicTest, MovingToAnotherControlRestartsTheWait) {
    tip.mouseMoved(&controlA);
    run(8);  // almost due
    ASSERT_EQ(tip.state(), State::Waiting);
    tip.mouseMoved(&controlB);
    EXPECT_EQ(tip.state(), State::Idle);
    EXPECT_EQ(tip.currentText(), "Sets the PC clock now.");
    EXPECT_EQ(ticksUntilShow(100), 1 + BubbleTipLogic::kHoverDelay);

    // And from a shown balloon straight onto another control: hidden, then the full wait.
    tip.mouseMoved(&controlA);
    EXPECT_EQ(tip.tick(), Action::Hide);
    EXPECT_EQ(ticksUntilShow(100), BubbleTipLogic::kHoverDelay);
}

TEST_F(BubbleTipLogicTest, UnregisteredWindowsNeverStartTheStateMachine) {
    tip.mouseMoved(&page);
    const Seen seen = run(200);
    EXPECT_EQ(seen.shows, 0);
    EXPECT_EQ(tip.state(), State::Idle);
    EXPECT_FALSE(tip.isTool(&page));
    EXPECT_FALSE(tip.isTool(nullptr));
    EXPECT_EQ(tip.toolText(&page), "");
}

TEST_F(BubbleTipLogicTest, AddingAgainReplacesTheText) {
    tip.addTool(&controlA, "first");
    tip.addTool(&controlA, "second");
    tip.mouseMoved(&controlA);
    EXPECT_EQ(tip.currentText(), "second");
}

TEST_F(BubbleTipLogicTest, ForgettingTheControlUnderTheMouseCancelsTheBalloon) {
    tip.mouseMoved(&controlA);
    ASSERT_GT(ticksUntilShow(100), 0);
    EXPECT_EQ(tip.removeTool(&controlA), Action::Hide);
    EXPECT_FALSE(tip.overTool());
    EXPECT_EQ(tip.currentTool(), nullptr);
    EXPECT_EQ(run(200).shows, 0);
    // Forgetting another control while over one leaves it alone.
    tip.mouseMoved(&controlB);
    EXPECT_EQ(tip.removeTool(&controlA), Action::None);
    EXPECT_TRUE(tip.overTool());
}

TEST_F(BubbleTipLogicTest, DisabledTipsStillRunTheStateMachineButNeverPlace) {
    tip.setEnabled(false);
    tip.mouseMoved(&controlA);
    ASSERT_EQ(ticksUntilShow(100), 1 + BubbleTipLogic::kHoverDelay);
    EXPECT_EQ(tip.state(), State::Shown);
    EXPECT_FALSE(tip.place(QPoint(500, 500), kScreen, kClient, true).has_value());
    run(BubbleTipLogic::kDisplayTime);
    EXPECT_EQ(tip.state(), State::Spent);

    // Switched on again: the next balloon appears.
    tip.setEnabled(true);
    tip.mouseMoved(&page);
    tip.mouseMoved(&controlA);
    ASSERT_GT(ticksUntilShow(100), 0);
    EXPECT_TRUE(tip.place(QPoint(500, 500), kScreen, kClient, true).has_value());
}

TEST_F(BubbleTipLogicTest, NoBalloonWhenNoWindowOfTheProgramHasTheFocus) {
    EXPECT_FALSE(tip.place(QPoint(500, 500), kScreen, kClient, false).has_value());
    EXPECT_EQ(tip.verticalOffset(), 0) << "a refused showing leaves the offsets alone";
}

TEST_F(BubbleTipLogicTest, TickCountersNeverOverflow) {
    // A sheet left idle for years keeps counting without undefined behaviour.
    for (int i = 0; i < 1000; ++i) {
        tip.tick();
    }
    EXPECT_EQ(tip.ticksHovered(), 1000);
    EXPECT_EQ(tip.ticksShown(), 1000);
}

// ---- shapes ----

TEST(BubbleShapeTest, AboveShapeForTheStandardClient) {
    const BubbleShape s = BubbleTipLogic::aboveShape(QRect(0, 0, 100, 100));
    // P = 100 - 100 / 3 = 67
    EXPECT_FALSE(s.below);
    EXPECT_EQ(s.textArea, QRect(QPoint(7, 7), QPoint(92, 77)));  // (7,7)-(93,78) exclusive
    EXPECT_EQ(s.body, QRect(0, 0, 100, 86));
    EXPECT_EQ(s.cornerSize, 15);
    EXPECT_EQ(s.pointer[0], QPoint(74, 100));
    EXPECT_EQ(s.pointer[1], QPoint(60, 85));
    EXPECT_EQ(s.pointer[2], QPoint(74, 85));
    EXPECT_EQ(s.horizontalOffset, -74);
    EXPECT_EQ(s.verticalOffset, -100);
    // The pointer's tip lands exactly on the mouse.
    EXPECT_EQ(s.pointer[0] + QPoint(s.horizontalOffset, s.verticalOffset), QPoint(0, 0));
}

TEST(BubbleShapeTest, BelowShapeForTheStandardClient) {
    const BubbleShape s = BubbleTipLogic::belowShape(QRect(0, 0, 100, 100));
    EXPECT_TRUE(s.below);
    EXPECT_EQ(s.textArea, QRect(QPoint(7, 22), QPoint(92, 92)));  // (7,22)-(93,93) exclusive
    EXPECT_EQ(s.body, QRect(0, 15, 100, 85));
    EXPECT_EQ(s.pointer[0], QPoint(74, 0));
    EXPECT_EQ(s.pointer[1], QPoint(60, 15));
    EXPECT_EQ(s.pointer[2], QPoint(74, 15));
    EXPECT_EQ(s.horizontalOffset, -74);
    EXPECT_EQ(s.verticalOffset, 0);
    EXPECT_EQ(s.pointer[0] + QPoint(s.horizontalOffset, s.verticalOffset), QPoint(0, 0));
}

TEST(BubbleShapeTest, PointerUsesIntegerThirdsOfWiderClients) {
    // 160 wide: P = 160 - 53 = 107; the triangle and offsets follow.
    const BubbleShape s = BubbleTipLogic::aboveShape(QRect(0, 0, 160, 100));
    EXPECT_EQ(s.pointer[0], QPoint(114, 100));
    EXPECT_EQ(s.pointer[1], QPoint(100, 85));
    EXPECT_EQ(s.horizontalOffset, -114);
    EXPECT_EQ(s.textArea.width(), 160 - 14);
}

TEST(BubbleShapeTest, TextBlockIsCentredInTheTextArea) {
    const QRect area(QPoint(7, 7), QPoint(92, 77));
    EXPECT_EQ(BubbleTipLogic::centredText(area, QSize(40, 16)), QRect(30, 34, 40, 16));
    // A block larger than the area spills evenly on both sides.
    EXPECT_EQ(BubbleTipLogic::centredText(area, QSize(86, 91)), QRect(7, -3, 86, 91));
}

TEST(BubbleShapeTest, ShortTextsKeepTheStandardSizeLongOnesGrowTheBalloon) {
    // A fake measure: 7 pixels per character, 16 per line, word-wrapped by characters.
    auto measureFor = [](int characters) {
        return [characters](int width) {
            const int perLine = std::max(1, width / 7);
            const int lines = (characters + perLine - 1) / perLine;
            return QSize(std::min(characters, perLine) * 7, lines * 16);
        };
    };
    EXPECT_EQ(BubbleTipLogic::fitClientSize(measureFor(0)), QSize(100, 100));
    EXPECT_EQ(BubbleTipLogic::fitClientSize(measureFor(36)), QSize(100, 100));  // 3 lines
    // 88 characters ("Sets the daytime network time server port. ...") do not fit 86 x 71:
    // the balloon widens until four lines hold them.
    const QSize wide = BubbleTipLogic::fitClientSize(measureFor(88));
    EXPECT_GT(wide.width(), 100);
    EXPECT_EQ(wide.height(), 100);
    EXPECT_EQ((wide.width() - 100) % 20, 0);
    // Very long texts: 300 wide and as tall as needed; nothing is cut off.
    const QSize tall = BubbleTipLogic::fitClientSize(measureFor(1000));
    EXPECT_EQ(tall.width(), 300);
    EXPECT_GE(tall.height() - 29, measureFor(1000)(286).height());
}

// ---- placement ----

class BubblePlacementTest : public ::testing::Test {
  protected:
    BubbleTipLogic tip;
};

TEST_F(BubblePlacementTest, AboveTheMouseInTheMiddleOfTheScreen) {
    const auto p = tip.place(QPoint(500, 400), kScreen, kClient, true);
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->shape.below);
    EXPECT_EQ(p->topLeft, QPoint(500 - 74, 400 - 100));
    EXPECT_EQ(tip.horizontalOffset(), -74);
    EXPECT_EQ(tip.verticalOffset(), -100);
}

TEST_F(BubblePlacementTest, NearTheTopFirstAboveAndClampedThenBelow) {
    // The first showing has no previous offset: "above", pushed down to y 0.
    auto p = tip.place(QPoint(500, 30), kScreen, kClient, true);
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->shape.below);
    EXPECT_EQ(p->topLeft, QPoint(426, 0));
    // The next showing there: 30 - 100 < 0, so "below", hanging from the mouse.
    p = tip.place(QPoint(500, 30), kScreen, kClient, true);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->shape.below);
    EXPECT_EQ(p->topLeft, QPoint(426, 30));
    EXPECT_EQ(tip.verticalOffset(), 0);
    // Further down the screen the next one is "above" again.
    p = tip.place(QPoint(500, 400), kScreen, kClient, true);
    EXPECT_FALSE(p->shape.below);
}

TEST_F(BubblePlacementTest, KeptOnScreenAtEveryEdge) {
    // Left edge: x + offset < 0 -> x 0.
    auto p = tip.place(QPoint(10, 400), kScreen, kClient, true);
    EXPECT_EQ(p->topLeft, QPoint(0, 300));
    // Right edge: right edge meets the screen's.
    p = tip.place(QPoint(1020, 400), kScreen, kClient, true);
    EXPECT_EQ(p->topLeft, QPoint(1024 - 100, 300));
    // Top left corner after an "above" showing: below, at x 0; the time after that the
    // previous offset is 0, so above again, pushed to (0, 0).
    p = tip.place(QPoint(10, 5), kScreen, kClient, true);
    EXPECT_TRUE(p->shape.below);
    EXPECT_EQ(p->topLeft, QPoint(0, 5));
    p = tip.place(QPoint(10, 5), kScreen, kClient, true);
    EXPECT_FALSE(p->shape.below);
    EXPECT_EQ(p->topLeft, QPoint(0, 0));
    // A "below" balloon is above again the next time the mouse is far enough down.
    p = tip.place(QPoint(500, 760), kScreen, kClient, true);
    EXPECT_FALSE(p->shape.below);
    EXPECT_EQ(p->topLeft, QPoint(426, 660));
}

TEST(BubbleKeepOnScreenTest, ClampsEachAxisOnItsOwn) {
    const QSize size(100, 100);
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(-30, 50), size, kScreen), QPoint(0, 50));
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(950, 50), size, kScreen), QPoint(924, 50));
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(50, -20), size, kScreen), QPoint(50, 0));
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(50, 700), size, kScreen), QPoint(50, 668));
    // Corners: both corrections.
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(-5, -5), size, kScreen), QPoint(0, 0));
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(1000, 700), size, kScreen), QPoint(924, 668));
    // Inside: untouched.
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(300, 300), size, kScreen), QPoint(300, 300));
    // A second screen to the right of the first.
    const QRect second(1024, 0, 800, 600);
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(1000, 10), size, second), QPoint(1024, 10));
    EXPECT_EQ(BubbleTipLogic::keepOnScreen(QPoint(1790, 550), size, second), QPoint(1724, 500));
}

}  // namespace
}  // namespace horalux
