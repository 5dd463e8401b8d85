#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

#include "app/settings_keys.h"
#include "clock/clock_window.h"
#include "clock/segment_clock_display.h"
#include "clock/widget_test_support.h"
#include "platform/fake_system_clock.h"
#include "platform/memory_settings_store.h"

// Marks an event as coming from the window system, as QtTest does for its key events (QEvent
// lets this one class do it).
class QSpontaneKeyEvent {
  public:
    static void setSpontaneous(QEvent* event) { event->setSpontaneous(); }
};

namespace horalux {
namespace {

using test::processUntil;
using test::settle;

class FakeHost final : public ClockWindowHost {
  public:
    int setPcClockNowCalls = 0;
    int openPropertiesCalls = 0;
    int showHelpCalls = 0;
    void setPcClockNow() override { ++setPcClockNowCalls; }
    void openProperties() override { ++openPropertiesCalls; }
    void showHelp() override { ++showHelpCalls; }
};

class ClockWindowTest : public testing::Test {
  protected:
    MemorySettingsStore store;
    RuntimeSettings runtime;
    FakeSystemClock clock{{2001, 3, 0, 18, 19, 53, 17, 0}};
    FakeHost host;
    std::unique_ptr<ClockWindow> window;

    ClockWindow& create() {
        window = std::make_unique<ClockWindow>(store, runtime, clock, host);
        settle();
        return *window;
    }

    void mouse(QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPoint global = window->mapToGlobal(local);
        QMouseEvent event(type, QPointF(local), QPointF(global), QPointF(global), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }
    // A move to a point given in screen coordinates, as the cursor goes.
    void moveTo(QPoint global, Qt::MouseButtons buttons = Qt::LeftButton) {
        const QPoint local = global - window->pos();
        QMouseEvent event(QEvent::MouseMove, QPointF(local), QPointF(global), QPointF(global),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &event);
    }

    std::string position() const { return store.read(keys::DigitalClockPosition); }
};

TEST_F(ClockWindowTest, ANewClockIsAFramelessToolWindowAt300By100) {
    ClockWindow& w = create();
    EXPECT_EQ(w.objectName(), "Clock");
    EXPECT_EQ(w.windowTitle(), "Clock");
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.frameGeometry(), QRect(0, 0, 300, 100));
    // The client inside the sizing border is 292 x 92: thickness 3.
    EXPECT_EQ(w.clientRect(), QRect(4, 4, 292, 92));
    EXPECT_EQ(w.display().geometry(), QRect(4, 4, 292, 92));
    EXPECT_EQ(w.display().state().thickness, 3);
    EXPECT_EQ(w.display().state().ContentRect(292, 92), (PixelRect{5, 5, 287, 87}));
    EXPECT_TRUE(w.display().testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(w.testAttribute(Qt::WA_AlwaysShowToolTips));
    EXPECT_TRUE(w.display().timerActive());
    // Nothing stored: blue over dark blue, local 24-hour time, no day of year.
    EXPECT_EQ(w.display().state().lit, 0xFF0000u);
    EXPECT_EQ(w.display().state().unlit, 0x400000u);
    EXPECT_EQ(w.localTimeFlag(), 1);
    EXPECT_EQ(w.twentyFourHourFlag(), 1);
    EXPECT_EQ(w.display().state().dayOfYear, 0);
    EXPECT_EQ(w.dragging(), 0);
    EXPECT_EQ(w.toolTip(), "Sunday, March 18, 2001");
}

TEST_F(ClockWindowTest, CreationFollowsTheStore) {
    store.write(keys::DigitalClockPosition, "10,310,20,120");
    store.write(keys::ClockAlwayssOnTop, 1);
    store.write(keys::ClockEnableSegColor, 0x0000FF);
    store.write(keys::ClockDisableSegColor, 0x000030);
    store.write(keys::EnableDOY, 1);
    store.write(keys::LocalTime, 0);
    ClockWindow& w = create();
    EXPECT_EQ(w.frameGeometry(), QRect(10, 20, 300, 100));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(runtime.litColour, 0x0000FFu);
    EXPECT_EQ(w.display().state().unlit, 0x000030u);
    EXPECT_EQ(w.display().state().thickness, 292 / 95);
    EXPECT_EQ(w.localTimeFlag(), 0);
}

TEST_F(ClockWindowTest, AStoredSizeBeyondTheDesktopIsBounded) {
    store.write(keys::DigitalClockPosition, "10,2000000000,20,120");
    ClockWindow& w = create();
    EXPECT_EQ(w.pos(), QPoint(10, 20));
    EXPECT_EQ(w.size(), QSize(w.screen()->virtualSize().width(), 100));
}

TEST_F(ClockWindowTest, AHiddenClockStaysHiddenUntilShown) {
    store.write(keys::DigitalClockEnabled, 0);
    store.write(keys::DigitalClockPosition, "500,900,400,520");
    ClockWindow& w = create();
    EXPECT_FALSE(w.isVisible());
    w.ShowClock();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);
    EXPECT_EQ(w.frameGeometry(), QRect(500, 400, 400, 120));

    w.runCommand(command::kHideClock);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 0);

    // Reset Clock Position on a hidden clock shows it at (0, 0), 300 x 100.
    w.ResetClockPosition();
    settle();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.frameGeometry(), QRect(0, 0, 300, 100));
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);
    EXPECT_EQ(position(), "0,300,0,100");  // the place the user asked for
}

TEST_F(ClockWindowTest, AStoredPlaceOffTheScreenComesBackWithoutBeingStored) {
    store.write(keys::DigitalClockPosition, "-900,-600,-500,-400");
    ClockWindow& w = create();
    EXPECT_EQ(w.frameGeometry(), QRect(0, 0, 300, 100));
    w.SaveClockPosition();  // as at the program's end
    EXPECT_EQ(position(), "-900,-600,-500,-400");
}

TEST_F(ClockWindowTest, RedStoresItsColoursSchemeAndThePlaceTheUserGave) {
    store.write(keys::DigitalClockPosition, "10,310,20,120");
    ClockWindow& w = create();
    store.remove(keys::kSettings, "DigitalClockPosition");
    w.runCommand(command::kRedClock);
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x0000FF);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x000030);
    EXPECT_EQ(store.read(keys::ClockColor), 32778);
    EXPECT_EQ(position(), "");  // not moved in this run: no place of the user's to store
    EXPECT_EQ(runtime.litColour, 0x0000FFu);
    EXPECT_EQ(w.display().state().lit, 0x0000FFu);
    w.ResetClockPosition();  // the user's place
    w.move(30, 40);          // one the window system made up
    store.remove(keys::kSettings, "DigitalClockPosition");
    w.runCommand(command::kRedClock);
    EXPECT_EQ(position(), "0,300,0,100");

    w.runCommand(command::kGreenClock);
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x00FF00);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x003000);
    w.runCommand(command::kBlueClock);
    EXPECT_EQ(store.read(keys::ClockColor), 32780);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x300000);
}

TEST_F(ClockWindowTest, CustomColourTakesTheDialogsPairOnlyOnOk) {
    ClockWindow& w = create();
    std::optional<ClockColors> answer;
    ClockColors offered;
    w.setCustomColorChooser([&](const ClockColors& initial) {
        offered = initial;
        return answer;
    });
    WriteClockColors(runtime, {0x111111, 0x222222});

    const int writes = store.writeCount();
    w.runCommand(command::kCustomClockColor);  // cancelled
    EXPECT_EQ(offered, (ClockColors{0x111111, 0x222222}));
    EXPECT_EQ(store.writeCount(), writes);
    EXPECT_EQ(ReadClockColors(runtime), (ClockColors{0x111111, 0x222222}));

    answer = ClockColors{0x00FFFF, 0x003030};
    w.runCommand(command::kCustomClockColor);
    EXPECT_EQ(ReadClockColors(runtime), (ClockColors{0x00FFFF, 0x003030}));
    EXPECT_EQ(w.display().state().lit, 0x00FFFFu);
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0x00FFFF);
    EXPECT_EQ(store.read(keys::ClockDisableSegColor), 0x003030);
    EXPECT_EQ(store.read(keys::ClockColor), 32791);
    EXPECT_EQ(position(), "");
}

TEST_F(ClockWindowTest, TheRealCustomColourDialogCancelsCleanly) {
    ClockWindow& w = create();
    QTimer cancel;
    int attempts = 0;
    QString title;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            if (++attempts > 250) {
                cancel.stop();
            }
            return;
        }
        title = modal->windowTitle();
        modal->close();
        cancel.stop();
    });
    cancel.start(20);
    const int writes = store.writeCount();
    w.runCommand(command::kCustomClockColor);
    EXPECT_EQ(title, "Custom Clock Color");
    EXPECT_EQ(store.writeCount(), writes);
}

TEST_F(ClockWindowTest, AlwaysOnTopTogglesTheHintAndKeepsTheWindowShown) {
    ClockWindow& w = create();
    w.runCommand(command::kAlwaysOnTop);
    settle();
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(store.read(keys::ClockAlwayssOnTop), 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.frameGeometry(), QRect(0, 0, 300, 100));
    w.runCommand(command::kAlwaysOnTop);
    settle();
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(store.read(keys::ClockAlwayssOnTop), 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ClockWindowTest, DisplayChoicesReachTheDisplayAndTheStore) {
    ClockWindow& w = create();
    w.runCommand(command::kUtcTime);
    EXPECT_EQ(w.localTimeFlag(), 0);
    EXPECT_EQ(store.read(keys::LocalTime), 0);
    w.runCommand(command::kLocalTime);
    EXPECT_EQ(w.localTimeFlag(), 1);
    w.runCommand(command::kTwentyFourHourTime);
    EXPECT_EQ(w.twentyFourHourFlag(), 0);
    EXPECT_EQ(store.read(keys::TwentyFourHourMode), 0);

    w.resize(958, 200);  // client 950
    settle();
    EXPECT_EQ(w.display().state().thickness, 950 / 80);
    w.runCommand(command::kShowDayOfYear);
    EXPECT_EQ(w.display().state().dayOfYear, 1);
    EXPECT_EQ(store.read(keys::EnableDOY), 1);
    EXPECT_EQ(w.display().state().thickness, 950 / 95);
}

TEST_F(ClockWindowTest, CommandsThatLeaveTheClockGoToTheHost) {
    ClockWindow& w = create();
    w.runCommand(command::kSetClockNow);
    w.runCommand(command::kClockProperties);
    w.runCommand(command::kHelpIndex);
    EXPECT_EQ(host.setPcClockNowCalls, 1);
    EXPECT_EQ(host.openPropertiesCalls, 1);
    EXPECT_EQ(host.showHelpCalls, 1);

    mouse(QEvent::MouseButtonDblClick, {150, 50}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(host.setPcClockNowCalls, 2);
}

TEST_F(ClockWindowTest, TheMenuCarriesEveryCommandAndItsCheckMark) {
    ClockWindow& w = create();
    const std::unique_ptr<QMenu> menu = w.buildMenu();
    std::vector<std::string> items;
    std::function<void(QMenu*, const std::string&)> walk = [&](QMenu* m,
                                                               const std::string& prefix) {
        for (QAction* a : m->actions()) {
            if (a->isSeparator()) {
                items.push_back(prefix + "-");
            } else if (a->menu() != nullptr) {
                walk(a->menu(), prefix + a->text().toStdString() + "/");
            } else {
                items.push_back(prefix + a->text().toStdString() + " " +
                                std::to_string(a->data().toInt()) + (a->isChecked() ? " *" : ""));
            }
        }
    };
    walk(menu.get(), "");
    const std::vector<std::string> expected{
        "&Set PC Clock Now 32774",
        "Settings/&Always on top 32789",
        "Settings/&Hide 32781",
        "Settings/-",
        "Settings/&Blue 32780",
        "Settings/&Green 32779",
        "Settings/&Red 32778",
        "Settings/&Custom Color 32791 *",  // nothing stored
        "Settings/-",
        "Settings/&Local Time 32785 *",
        "Settings/&UTC Time 32786",
        "Settings/&24 hour time 32783 *",
        "Settings/Show &Day of Year 32784",
        "Help Topics... 57667",
        "-",
        "&Properties 32787",
    };
    EXPECT_EQ(items, expected);
}

TEST_F(ClockWindowTest, AKeyboardMenuOpensFivePixelsInsideTheClientArea) {
    store.write(keys::DigitalClockPosition, "100,400,50,150");
    ClockWindow& w = create();
    EXPECT_EQ(w.keyboardMenuPosition(), QPoint(100 + 4 + 5, 50 + 4 + 5));

    QPoint shownAt;
    QTimer close;
    int attempts = 0;
    QObject::connect(&close, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            if (++attempts > 250) {
                close.stop();
            }
            return;
        }
        shownAt = menu->pos();
        menu->close();
        close.stop();
    });
    close.start(20);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
    QApplication::sendEvent(&w, &event);
    EXPECT_EQ(shownAt, QPoint(109, 59));
}

TEST_F(ClockWindowTest, DraggingMovesOnlyFromTheSecondMoveAndSavesOnRelease) {
    store.write(keys::DigitalClockPosition, "100,400,50,150");
    ClockWindow& w = create();
    mouse(QEvent::MouseButtonPress, {150, 50}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(w.dragging(), 1);
    moveTo({260, 105});  // the first move sets the anchor only
    EXPECT_EQ(w.pos(), QPoint(100, 50));
    EXPECT_EQ(w.logic().anchor(), (PixelPoint{160, 55}));
    moveTo({300, 125});
    EXPECT_EQ(w.pos(), QPoint(140, 70));
    moveTo({-100, -100});  // off the window, and off the screen: still dragging
    EXPECT_EQ(w.pos(), QPoint(-260, -155));
    moveTo({300, 125});
    EXPECT_EQ(w.pos(), QPoint(140, 70));
    store.remove(keys::kSettings, "DigitalClockPosition");
    mouse(QEvent::MouseButtonRelease, {160, 55}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.dragging(), 0);
    EXPECT_EQ(position(), "140,440,70,170");
    // Moves without the button do nothing.
    moveTo({0, 0}, Qt::NoButton);
    EXPECT_EQ(w.pos(), QPoint(140, 70));
}

TEST_F(ClockWindowTest, TheBorderResizesTheWindow) {
    store.write(keys::DigitalClockPosition, "100,400,50,150");
    ClockWindow& w = create();
    // The right edge; the offscreen platform has no window manager, so we resize ourselves.
    mouse(QEvent::MouseButtonPress, {298, 50}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(w.dragging(), 0);
    moveTo({398 + 100, 100});
    settle();
    EXPECT_EQ(w.frameGeometry(), QRect(100, 50, 400, 100));
    EXPECT_EQ(w.display().geometry(), QRect(4, 4, 392, 92));
    EXPECT_EQ(w.display().state().thickness, 392 / 80);
    mouse(QEvent::MouseButtonRelease, {398, 50}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(position(), "100,500,50,150");

    // The top-left corner, dragged far past the other edges, stops at the minimum size.
    mouse(QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton);
    moveTo({2000, 2000});
    settle();
    EXPECT_EQ(w.frameGeometry().size(),
              QSize(ClockWindowLogic::kMinimumWidth, ClockWindowLogic::kMinimumHeight));
    EXPECT_EQ(w.frameGeometry().bottomRight(), QPoint(499, 149));
    mouse(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton);
}

TEST_F(ClockWindowTest, TheDateTipFollowsTheFlagsButNotDuringADrag) {
    ClockWindow& w = create();
    w.runCommand(command::kUtcTime);
    w.updateDateTip();
    EXPECT_EQ(w.toolTip(), "Sunday, March 18, 2001 (19:53:17 UTC)");

    mouse(QEvent::MouseButtonPress, {150, 50}, Qt::LeftButton, Qt::LeftButton);
    clock.advance(1000);
    w.updateDateTip();
    EXPECT_EQ(w.toolTip(), "Sunday, March 18, 2001 (19:53:17 UTC)");
    mouse(QEvent::MouseButtonRelease, {150, 50}, Qt::LeftButton, Qt::NoButton);
    w.runCommand(command::kTwentyFourHourTime);
    w.updateDateTip();
    EXPECT_EQ(w.toolTip(), "Sunday, March 18, 2001 (07:53:18 PM UTC)");

    // Hovering over the digits shows it: the display passes the mouse to the window.
    const QPoint over(150, 50);
    QHelpEvent help(QEvent::ToolTip, over, w.mapToGlobal(over));
    QApplication::sendEvent(&w, &help);
    EXPECT_TRUE(processUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), "Sunday, March 18, 2001 (07:53:18 PM UTC)");
    QToolTip::hideText();
}

TEST_F(ClockWindowTest, TheColourTimerPicksUpColoursChosenElsewhere) {
    ClockWindow& w = create();
    WriteClockColors(runtime, {0x00FF00, 0x003000});  // e.g. from the Time page
    EXPECT_TRUE(processUntil([&] { return w.display().state().lit == 0x00FF00u; }));
    EXPECT_EQ(w.display().state().unlit, 0x003000u);
}

TEST_F(ClockWindowTest, ClosingFromTheWindowSystemHidesLikeHide) {
    ClockWindow& w = create();
    QCloseEvent byWindowSystem;
    QSpontaneKeyEvent::setSpontaneous(&byWindowSystem);
    // Straight to the handler: sending would clear the mark.
    static_cast<QObject&>(w).event(&byWindowSystem);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 0);

    w.ShowClock();
    w.close();  // the program's own close leaves the setting alone
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);

    // Once the program ends, the window system closing its windows is no "Hide".
    w.ShowClock();
    w.EndRun();
    QCloseEvent atTheEnd;
    QSpontaneKeyEvent::setSpontaneous(&atTheEnd);
    static_cast<QObject&>(w).event(&atTheEnd);
    EXPECT_EQ(store.read(keys::DigitalClockEnabled), 1);
}

}  // namespace
}  // namespace horalux
