#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "clock/clock_window.h"
#include "frame_rig.h"

namespace horalux {
namespace {

// The frame of these tests: the clock shows UTC, 24-hour.
struct UtcFrameRig : FrameRig {
    UtcFrameRig() : FrameRig({{keys::LocalTime, 0}, {keys::TwentyFourHourMode, 1}}) {}
};

QAction* Action(CMainFrame& frame, int command) {
    for (QAction* action : frame.trayMenu().actions()) {
        if (action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

TEST(MainFrameTest, TheTrayMenuHasItsEntriesAndCommandsInOrder) {
    UtcFrameRig rig;
    std::vector<std::pair<int, std::string>> entries;
    for (QAction* action : rig.frame->trayMenu().actions()) {
        entries.emplace_back(action->isSeparator() ? 0 : action->data().toInt(),
                             action->text().toStdString());
    }
    const std::vector<std::pair<int, std::string>> expected{
        {32770, "&Properties..."},
        {32774, "&Set PC Clock Now"},
        {0, ""},
        {32782, "Show &Clock"},
        {32788, "&Reset Clock Position"},
        {0, ""},
        {57667, "&Help Topics"},
        {57665, "&Exit"},
    };
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(rig.frame->windowTitle(), "Horalux-Kestrimund");
    EXPECT_FALSE(rig.frame->isVisible());
}

TEST(MainFrameTest, MenuEntriesFollowTheLockAndTheClocksVisibility) {
    UtcFrameRig rig;
    rig.flags.timeLocked = 0;
    rig.frame->clockWindow()->hide();
    rig.frame->UpdateMenuState();
    EXPECT_FALSE(Action(*rig.frame, command::kSetClockNow)->isEnabled());
    EXPECT_FALSE(Action(*rig.frame, command::kShowClock)->isChecked());

    rig.flags.timeLocked = 1;
    rig.frame->clockWindow()->show();
    rig.frame->UpdateMenuState();
    EXPECT_TRUE(Action(*rig.frame, command::kSetClockNow)->isEnabled());
    EXPECT_TRUE(Action(*rig.frame, command::kShowClock)->isChecked());
}

TEST(MainFrameTest, TheTrayFollowsTheReferenceAndTheWorkersFlags) {
    UtcFrameRig rig;
    EXPECT_EQ(rig.frame->currentTrayIcon(), -1);
    rig.frame->OnTrayTimer();
    EXPECT_EQ(rig.frame->currentTrayIcon(), 109);
    EXPECT_EQ(rig.frame->trayIcon().toolTip(), "Horalux");

    rig.runtime.useNetworkTime = 1;  // the reference switched on the pages
    rig.frame->OnTrayTimer();
    EXPECT_EQ(rig.frame->currentTrayIcon(), 138);
    EXPECT_EQ(rig.frame->trayIcon().toolTip(), "Horalux - Time referenced to\n Network time");

    rig.flags.syncBusy = 1;
    rig.frame->OnTrayTimer();
    EXPECT_EQ(rig.frame->currentTrayIcon(), 140);

    rig.flags.networkFailed = 1;
    rig.frame->OnTrayTimer();
    EXPECT_EQ(rig.frame->currentTrayIcon(), 141);
    EXPECT_EQ(rig.frame->trayIcon().toolTip(), "Horalux - Cannot connect to network\ntime server");
    EXPECT_FALSE(rig.frame->trayIcon().icon().isNull());

    // The last update's outcome ends the tip as soon as it is recorded, whatever the icon does.
    UpdateOutcome silent;
    silent.reference = UpdateReference::Sntp;
    silent.result = UpdateResult::ServerSilent;
    rig.updates.Append(silent);
    rig.frame->OnTrayTimer();
    EXPECT_EQ(rig.frame->currentTrayIcon(), 141);
    EXPECT_EQ(rig.frame->trayIcon().toolTip(),
              "Horalux - Cannot connect to network\ntime server\nNot set: server silent");
    UpdateOutcome set = silent;
    set.timeMs = rig.clock.nowMillis();
    set.result = UpdateResult::Set;
    set.correctionMs = 312;
    rig.updates.Append(set);
    rig.flags.networkFailed = 0;
    rig.flags.syncBusy = 0;
    rig.frame->OnTrayTimer();
    EXPECT_EQ(rig.frame->trayIcon().toolTip(),
              "Horalux - Time referenced to\n Network time\nSet 19:53 UTC, +312 ms");
}

TEST(MainFrameTest, SetPcClockNowChoosesTheServerFirstAndDoesNotBeep) {
    UtcFrameRig rig;
    rig.runtime.setBeep = 1;
    rig.frame->OnCommand(command::kSetClockNow);
    EXPECT_EQ(rig.started, std::vector<std::string>{"ntp.example"});
    EXPECT_TRUE(rig.messages.beeps().empty());

    // The desktop clock's own command goes the same way.
    rig.frame->setPcClockNow();
    EXPECT_EQ(rig.started.size(), 2u);
}

TEST(MainFrameTest, PropertiesOpenOnceFromEveryRequest) {
    UtcFrameRig rig;
    EXPECT_EQ(rig.frame->propertiesWindow(), nullptr);
    rig.frame->OnMessage(1024);  // not ours
    EXPECT_EQ(rig.frame->propertiesWindow(), nullptr);

    rig.frame->OnMessage(command::kOpenPropertiesMessage);
    QWidget* window = rig.frame->propertiesWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Horalux Properties");

    window->close();  // only hides
    EXPECT_FALSE(window->isVisible());
    rig.frame->OnCommand(command::kProperties);
    rig.frame->openProperties();  // the desktop clock's "&Properties"
    EXPECT_EQ(rig.frame->propertiesWindow(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST(MainFrameTest, ResetClockPositionShowsTheHiddenClockAtItsDefaultPlace) {
    UtcFrameRig rig;
    ClockWindow* clock = rig.frame->clockWindow();
    ASSERT_NE(clock, nullptr);
    clock->move(200, 300);
    clock->hide();
    rig.store.write(keys::DigitalClockEnabled, 0);

    rig.frame->OnCommand(command::kResetClockPosition);
    EXPECT_TRUE(clock->isVisible());
    EXPECT_EQ(clock->frameGeometry(), QRect(0, 0, 300, 100));
    EXPECT_EQ(rig.store.read(keys::DigitalClockEnabled), 1);
}

TEST(MainFrameTest, TheDateTipFollowsEachSecondExceptWhileTheClockIsDragged) {
    UtcFrameRig rig;
    ClockWindow* clock = rig.frame->clockWindow();
    rig.frame->OnHeartbeatTimer();
    EXPECT_EQ(clock->toolTip(), "Sunday, March 18, 2001 (19:53:17 UTC)");

    clock->logic().PressLeft();
    rig.clock.advance(1000);
    rig.frame->OnHeartbeatTimer();
    EXPECT_EQ(clock->toolTip(), "Sunday, March 18, 2001 (19:53:17 UTC)");

    clock->logic().ReleaseLeft();
    rig.clock.advance(50);
    rig.frame->OnHeartbeatTimer();  // the same second as the last tick: no change yet
    EXPECT_EQ(clock->toolTip(), "Sunday, March 18, 2001 (19:53:17 UTC)");
    rig.clock.advance(950);
    rig.frame->OnHeartbeatTimer();
    EXPECT_EQ(clock->toolTip(), "Sunday, March 18, 2001 (19:53:19 UTC)");
}

// "&Exit" stores no place and no shown state the user did not cause: a place the window system
// gave the clock stays unstored, and so does the shown state.
TEST(MainFrameTest, ExitStoresOnlyWhatTheUserChangedAndEndsTheProgram) {
    UtcFrameRig rig;
    ClockWindow* clock = rig.frame->clockWindow();
    clock->setGeometry(QRect(10, 20, 300, 100));  // say, a compositor's centring
    int closed = 0;
    QObject::connect(rig.frame.get(), &CMainFrame::closed, [&closed] { ++closed; });
    const int writes = rig.store.writeCount();
    rig.frame->OnCommand(command::kExit);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(rig.store.writeCount(), writes);
    EXPECT_EQ(rig.store.read(keys::DigitalClockPosition), "");
    EXPECT_EQ(rig.store.read(keys::DigitalClockEnabled), 1);

    UtcFrameRig moved;
    moved.frame->OnCommand(command::kResetClockPosition);  // the user's place
    moved.store.remove(keys::kSettings, "DigitalClockPosition");
    moved.frame->OnCommand(command::kExit);
    EXPECT_EQ(moved.store.read(keys::DigitalClockPosition), "0,300,0,100");
}

TEST(MainFrameTest, HelpTopicsOpensTheManualsIndex) {
    UtcFrameRig rig;
    rig.frame->OnCommand(command::kHelpIndex);
    ASSERT_EQ(rig.urls.urls.size(), 1u);
    EXPECT_NE(rig.urls.urls[0].find("index.html"), std::string::npos);
}

}  // namespace
}  // namespace horalux
