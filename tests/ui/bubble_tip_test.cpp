// The bubble tip on real widgets (offscreen platform): the sheet's events reach the logic, and the
// balloon window shows, shapes and hides itself as the logic says. Ticks are driven by hand except
// in the one test that checks the real timer.
#include "ui/bubble_tip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/settings_keys.h"
#include "platform/memory_settings_store.h"
#include "support/test_dirs.h"
#include "ui/horalux_property_frame.h"
#include "ui/tip_test_page.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

using State = BubbleTipLogic::State;

class BubbleTipWidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        qApp->installEventFilter(&moves);
        build();
    }

    void build(QPoint at = QPoint(100, 150)) {
        frame.reset();
        frame = std::make_unique<CHoraluxPropertyFrame>(store);
        page = new test::TipTestPage(tip());
        frame->sheet()->addPage(page, QStringLiteral("GPS Signal Quality"));
        frame->move(at);
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        tip().timer()->stop();  // the tests tick by hand
        // Park the mouse on an empty spot of the page. A move to where the mouse already is
        // counts as no move, so go by way of a second spot.
        QTest::mouseMove(page, QPoint(5, 5));
        moveTo(page, QPoint(5, page->height() - 5));
    }

    BubbleTip& tip() { return frame->sheet()->bubbleTip(); }
    BubbleTipWindow* balloon() { return tip().balloon(); }

    // Moves the mouse and waits (bounded) until the move has been delivered: on a real X server
    // the pointer warp comes back as an event some time later.
    void moveTo(QWidget* widget, QPoint pos = QPoint(-1, -1)) {
        const QPoint local = pos.x() < 0 ? widget->rect().center() : pos;
        const QPoint global = widget->mapToGlobal(local);
        QTest::mouseMove(widget, local);
        ASSERT_TRUE(test::waitFor([&] { return moves.last == global; }, 3000))
            << "the mouse move never arrived: " << global.x() << "," << global.y() << " last "
            << moves.last.x() << "," << moves.last.y() << " cursor " << QCursor::pos().x() << ","
            << QCursor::pos().y();
    }

    // Records where the last mouse move that reached a widget happened.
    struct MoveWatcher : QObject {
        QPoint last{-1, -1};
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
                last = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            }
            return false;
        }
    } moves;
    void TearDown() override { qApp->removeEventFilter(&moves); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            tip().tick();
        }
    }
    // Ticks until the balloon is up; how many it took, or 0.
    int ticksUntilVisible(int limit = 100) {
        for (int i = 1; i <= limit; ++i) {
            tip().tick();
            if (balloon()->isVisible()) {
                return i;
            }
        }
        return 0;
    }

    MemorySettingsStore store;
    std::unique_ptr<CHoraluxPropertyFrame> frame;
    test::TipTestPage* page = nullptr;
};

TEST_F(BubbleTipWidgetTest, RestingOnAControlShowsTheMaskedBalloonAtTheMouseThenHidesIt) {
    moveTo(page->gpsTime);
    const QPoint mouse = QCursor::pos();
    ASSERT_EQ(mouse, page->gpsTime->mapToGlobal(page->gpsTime->rect().center()));
    EXPECT_EQ(tip().logic().currentTool(), page->gpsTime);

    EXPECT_EQ(ticksUntilVisible(), 1 + BubbleTipLogic::kHoverDelay);
    EXPECT_EQ(balloon()->text(), QStringLiteral("Shows the time from the GPS reciever."));
    EXPECT_FALSE(balloon()->isActiveWindow()) << "shown without taking the focus";
    EXPECT_TRUE(frame->isActiveWindow());

    // Above the mouse, its pointer's tip on the mouse position.
    EXPECT_EQ(balloon()->size(), QSize(100, 100));
    EXPECT_EQ(balloon()->pos(), mouse + QPoint(-74, -100));
    const QRegion mask = balloon()->mask();
    EXPECT_FALSE(mask.isEmpty());
    EXPECT_EQ(mask, balloon()->region());
    EXPECT_FALSE(mask.contains(QPoint(0, 0))) << "rounded corner";
    EXPECT_FALSE(mask.contains(QPoint(10, 95))) << "beside the pointer";
    EXPECT_TRUE(mask.contains(QPoint(50, 40))) << "body";
    EXPECT_TRUE(mask.contains(QPoint(71, 92))) << "pointer";
    // The text block lies inside the text area, centred.
    EXPECT_TRUE(QRect(QPoint(7, 7), QPoint(92, 77)).contains(balloon()->textRect()));

    // Painted: tooltip background inside, a blue frame at the edge, text in the text colour.
    const QImage image = balloon()->grab().toImage();
    EXPECT_EQ(image.pixelColor(50, 0), QColor(0, 0, 255)) << "frame along the top";
    EXPECT_EQ(image.pixelColor(0, 40), QColor(0, 0, 255)) << "frame along the left";
    EXPECT_EQ(image.pixelColor(50, 3), balloon()->backgroundColour());
    bool sawText = false;
    for (int y = balloon()->textRect().top(); y <= balloon()->textRect().bottom(); ++y) {
        for (int x = balloon()->textRect().left(); x <= balloon()->textRect().right(); ++x) {
            sawText = sawText || image.pixelColor(x, y) != balloon()->backgroundColour();
        }
    }
    EXPECT_TRUE(sawText);

    // A picture of the frame with the balloon over it, as a person would see them.
    QImage shot(frame->frameGeometry().size() + QSize(0, 120), QImage::Format_ARGB32);
    shot.fill(QColor(0x3a, 0x6e, 0xa5));
    {
        QPainter painter(&shot);
        const QPoint origin(0, 120);
        painter.drawPixmap(origin, frame->grab());
        painter.setClipRegion(mask.translated(origin + balloon()->pos() - frame->pos()));
        painter.drawPixmap(origin + balloon()->pos() - frame->pos(), balloon()->grab());
    }
    std::filesystem::create_directories(test::buildDir() / "screenshots");
    EXPECT_TRUE(shot.save(
        QString::fromStdString((test::buildDir() / "screenshots" / "bubble-tip.png").string())));

    // Fifty ticks on display, one more to hide.
    ticks(BubbleTipLogic::kDisplayTime);
    EXPECT_TRUE(balloon()->isVisible());
    ticks(1);
    EXPECT_FALSE(balloon()->isVisible());
    // And it stays hidden while the mouse stays.
    moveTo(page->gpsTime, QPoint(3, 3));
    ticks(100);
    EXPECT_FALSE(balloon()->isVisible());

    // Leaving for the page and coming back shows it again.
    moveTo(page, QPoint(5, page->height() - 5));
    moveTo(page->gpsTime);
    EXPECT_EQ(ticksUntilVisible(), 1 + BubbleTipLogic::kHoverDelay);
}

TEST_F(BubbleTipWidgetTest, ClickOrKeyHidesItUntilTheMouseLeaves) {
    moveTo(page->gpsTime);
    ASSERT_GT(ticksUntilVisible(), 0);
    QTest::mouseClick(page->gpsTime, Qt::LeftButton, {}, page->gpsTime->rect().center());
    EXPECT_EQ(tip().logic().state(), State::Spent);
    ticks(1);
    EXPECT_FALSE(balloon()->isVisible()) << "hidden within one tick";
    ticks(100);
    EXPECT_FALSE(balloon()->isVisible());

    moveTo(page->caption);
    moveTo(page->gpsTime);
    ASSERT_GT(ticksUntilVisible(), 0);
    page->gpsTime->setFocus();
    QTest::keyClick(page->gpsTime, Qt::Key_Right);
    ticks(1);
    EXPECT_FALSE(balloon()->isVisible());
    ticks(100);
    EXPECT_FALSE(balloon()->isVisible());

    // A middle click is not a dismissal.
    moveTo(page->caption);
    moveTo(page->updateNow);
    ASSERT_GT(ticksUntilVisible(), 0);
    QTest::mouseClick(page->updateNow, Qt::MiddleButton, {}, page->updateNow->rect().center());
    EXPECT_EQ(tip().logic().state(), State::Shown);
}

TEST_F(BubbleTipWidgetTest, MovingToAnotherControlRestartsTheWait) {
    moveTo(page->gpsTime);
    ticks(8);
    moveTo(page->updateNow);
    EXPECT_EQ(tip().logic().currentTool(), page->updateNow);
    ticks(1 + BubbleTipLogic::kHoverDelay - 1);
    EXPECT_FALSE(balloon()->isVisible()) << "the wait started again";
    ticks(1);
    ASSERT_TRUE(balloon()->isVisible());
    EXPECT_EQ(balloon()->text(),
              QStringLiteral("Sets the PC clock now. GPS receiver must be locked."));
}

TEST_F(BubbleTipWidgetTest, ChildrenOfARegisteredControlCountAsTheControl) {
    // The spin box's own line edit is what the mouse is really over.
    QWidget* inner = page->rate->findChild<QLineEdit*>();
    ASSERT_NE(inner, nullptr);
    moveTo(inner, QPoint(3, 3));
    EXPECT_EQ(tip().logic().currentTool(), page->rate);
    // A child that tracks the mouse and lets the moves travel on to its parents: still the
    // group box, and not a move off it when the event reaches the page.
    moveTo(page->groupLabel);
    EXPECT_EQ(tip().logic().currentTool(), page->group);
    EXPECT_TRUE(tip().logic().overTool());
    ASSERT_GT(ticksUntilVisible(), 0);
    // The long text got a wider balloon, so none of it is cut off.
    EXPECT_GT(balloon()->width(), 100);
    const QRect area(7, 7, balloon()->width() - 14, 71);
    EXPECT_TRUE(area.contains(balloon()->textRect()))
        << balloon()->textRect().x() << "," << balloon()->textRect().y() << " "
        << balloon()->textRect().width() << "x" << balloon()->textRect().height();
}

TEST_F(BubbleTipWidgetTest, UnregisteredControlsNeverShowABalloon) {
    moveTo(page->caption);
    ticks(200);
    EXPECT_FALSE(balloon()->isVisible());
    EXPECT_EQ(tip().logic().state(), State::Idle);
}

TEST_F(BubbleTipWidgetTest, DisabledTipsShowNothingButTheStateMachineRuns) {
    store.write(keys::EnableBubbleTip, 0);
    build();
    EXPECT_FALSE(tip().isEnabled());
    moveTo(page->gpsTime);
    ticks(1 + BubbleTipLogic::kHoverDelay);
    EXPECT_EQ(tip().logic().state(), State::Shown);
    EXPECT_FALSE(balloon()->isVisible());
    ticks(BubbleTipLogic::kDisplayTime);
    EXPECT_EQ(tip().logic().state(), State::Spent);

    // Switched on (as the System Configuration page does): the next balloon shows.
    tip().setEnabled(true);
    moveTo(page->caption);
    moveTo(page->gpsTime);
    EXPECT_GT(ticksUntilVisible(), 0);
}

TEST_F(BubbleTipWidgetTest, NearTheTopOfTheScreenFirstAboveClampedThenBelow) {
    build(QPoint(100, 0));
    moveTo(page->gpsTime);
    const QPoint mouse = QCursor::pos();
    ASSERT_LT(mouse.y(), 100) << "the control must be near the top for this test";
    ASSERT_GT(ticksUntilVisible(), 0);
    EXPECT_EQ(balloon()->pos(), QPoint(mouse.x() - 74, 0));
    EXPECT_TRUE(balloon()->mask().contains(QPoint(20, 5))) << "above shape: body at the top";
    EXPECT_FALSE(balloon()->mask().contains(QPoint(20, 95)));

    moveTo(page->caption);
    moveTo(page->gpsTime);
    ASSERT_GT(ticksUntilVisible(), 0);
    EXPECT_EQ(balloon()->pos(), mouse + QPoint(-74, 0)) << "below: hanging from the mouse";
    EXPECT_FALSE(balloon()->mask().contains(QPoint(20, 5))) << "below shape: pointer on top";
    EXPECT_TRUE(balloon()->mask().contains(QPoint(20, 95)));
}

TEST_F(BubbleTipWidgetTest, NoBalloonWhileAnotherProgramHasTheFocus) {
    // A window that takes the focus and then disappears leaves no window of ours focused, as
    // when another program is in front.
    {
        QWidget other;
        other.show();
        other.activateWindow();
        if (!QTest::qWaitForWindowActive(&other)) {
            GTEST_SKIP() << "no way to move the focus here";
        }
    }
    if (QGuiApplication::focusWindow() != nullptr) {
        GTEST_SKIP() << "this platform moves the focus back to the frame";
    }
    moveTo(page->gpsTime);
    ticks(1 + BubbleTipLogic::kHoverDelay);
    EXPECT_EQ(tip().logic().state(), State::Shown);
    EXPECT_FALSE(balloon()->isVisible());
}

TEST_F(BubbleTipWidgetTest, ADestroyedControlUnderTheMouseTakesTheBalloonWithIt) {
    moveTo(page->gpsTime);
    ASSERT_GT(ticksUntilVisible(), 0);
    delete page->gpsTime;
    page->gpsTime = nullptr;
    EXPECT_FALSE(balloon()->isVisible());
    EXPECT_EQ(tip().logic().currentTool(), nullptr);
    ticks(100);
    EXPECT_FALSE(balloon()->isVisible());
}

TEST_F(BubbleTipWidgetTest, TheRealTimerShowsAfterAboutOneSecondAndHidesFiveSecondsLater) {
    tip().timer()->start();
    EXPECT_EQ(tip().timer()->interval(), 100);
    QElapsedTimer clock;
    moveTo(page->gpsTime);
    clock.start();
    ASSERT_TRUE(test::waitFor([&] { return balloon()->isVisible(); }, 5000));
    const qint64 shownAfter = clock.elapsed();
    EXPECT_GE(shownAfter, 900);
    ASSERT_TRUE(test::waitFor([&] { return !balloon()->isVisible(); }, 15000));
    const qint64 hiddenAfter = clock.elapsed() - shownAfter;
    EXPECT_GE(hiddenAfter, 4700);  // 51 ticks; coarse timers may fire up to 5% early
}

}  // namespace
}  // namespace horalux
