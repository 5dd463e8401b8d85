// The program at home on the desktop: the System Configuration page's check box writing and
// removing the autostart entry (against a temporary XDG_CONFIG_HOME), its two lines, and the
// main frame where the desktop has no tray.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/desktop_integration.h"
#include "app/main_frame.h"
#include "app/settings_keys.h"
#include "clock/clock_window.h"
#include "frame_rig.h"
#include "platform/fake_message_service.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

class AnsweringSource final : public TimeServiceSource {
  public:
    explicit AnsweringSource(TimeServiceReport report) : report_(std::move(report)) {}
    void detect(Report report) override { report(report_); }

  private:
    TimeServiceReport report_;
};

struct IntegrationRig {
    explicit IntegrationRig(TimeServiceReport found = {})
        : source(std::move(found)), integration(autostart, {&source}, messages) {}

    test::TempDir config;  // XDG_CONFIG_HOME
    QString folder = QString::fromStdString((config.path() / "autostart").string());
    AutostartEntry autostart{
        {"example.quorvane.Horalux", "Horalux", "Keeps the clock"}, "/usr/bin/horalux", folder};
    std::filesystem::path file = config.path() / "autostart" / "example.quorvane.Horalux.desktop";
    AnsweringSource source;
    FakeMessageService messages;
    DesktopIntegration integration;
};

TEST(DesktopIntegrationTest, TheCheckBoxWritesAndRemovesTheAutostartEntryAtOnce) {
    IntegrationRig rig;
    EXPECT_FALSE(rig.integration.startAtLogIn());
    EXPECT_TRUE(rig.integration.setStartAtLogIn(true));
    EXPECT_TRUE(std::filesystem::exists(rig.file));
    EXPECT_TRUE(rig.integration.startAtLogIn());
    EXPECT_FALSE(rig.integration.setStartAtLogIn(false));
    EXPECT_FALSE(std::filesystem::exists(rig.file));
    EXPECT_TRUE(rig.messages.boxes().empty());

    // An entry the desktop's own settings turned off shows unchecked; checking turns it on.
    std::filesystem::create_directories(rig.file.parent_path());
    std::ofstream(rig.file) << "[Desktop Entry]\nExec=/usr/bin/horalux\nHidden=true\n";
    EXPECT_FALSE(rig.integration.startAtLogIn());
    EXPECT_TRUE(rig.integration.setStartAtLogIn(true));
}

TEST(DesktopIntegrationTest, AnEntryThatCannotBeWrittenIsReportedAndTheBoxFollowsTheTruth) {
    IntegrationRig rig;
    std::ofstream(rig.config.file("autostart")) << "a file where the folder goes";
    EXPECT_FALSE(rig.integration.setStartAtLogIn(true));
    ASSERT_EQ(rig.messages.boxes().size(), 1u);
    EXPECT_EQ(
        rig.messages.boxes()[0].text.rfind(
            "Horalux could not change whether it starts when you log in.\n\nCannot create", 0),
        0u)
        << rig.messages.boxes()[0].text;
}

TEST(DesktopIntegrationTest, TheTwoLinesSayWhyTheClockMayNotMove) {
    {
        // Clock settings are noted from the worker's thread; the line follows on this one, and
        // goes again once the clock has been set.
        IntegrationRig rig;
        QSignalSpy changed(&rig.integration, &DesktopIntegration::clockPrivilegeLineChanged);
        EXPECT_EQ(rig.integration.clockPrivilegeLine(), "");
        std::thread([&rig] {
            rig.integration.noteClockSetting({ClockSetResult::NotAuthorized, "no"});
        }).join();
        EXPECT_EQ(changed.count(), 0) << "not before this thread's event loop runs";
        ASSERT_TRUE(changed.wait(5000));
        EXPECT_TRUE(rig.integration.clockPrivilegeLine().contains("polkit"));
        rig.integration.noteClockSetting({ClockSetResult::NotAuthorized, "no"});
        rig.integration.noteClockSetting({});
        QCoreApplication::processEvents();
        ASSERT_EQ(changed.count(), 2) << "an unchanged line is not sent again";
        EXPECT_EQ(changed.at(1).at(0).toString(), "");
    }

    IntegrationRig rig({{"chronyd"}, true});
    QSignalSpy changed(&rig.integration, &DesktopIntegration::otherTimeServicesLineChanged);
    EXPECT_EQ(rig.integration.otherTimeServicesLine(), "");
    rig.integration.lookForOtherTimeServices();
    ASSERT_EQ(changed.count(), 1);
    const QString line = changed.at(0).at(0).toString();
    EXPECT_TRUE(line.startsWith("Another time service keeps this PC's clock: chronyd."))
        << line.toStdString();
    EXPECT_EQ(rig.integration.otherTimeServicesLine(), line);
}

// The main frame on a desktop without a tray (the offscreen platform has none).
struct NoTrayRig : FrameRig {
    NoTrayRig() : FrameRig({{keys::DigitalClockEnabled, 0}}) {}
};

std::vector<std::string> MenuTexts(ClockWindow& clock) {
    std::vector<std::string> texts;
    const std::unique_ptr<QMenu> menu = clock.buildMenu();
    for (const QAction* action : menu->actions()) {
        texts.push_back(action->text().toStdString());
    }
    return texts;
}

TEST(NoTrayTest, TellsOnceKeepsTheClockShownAndItsMenuEndsWithExit) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    NoTrayRig rig;
    ClockWindow& clock = *rig.frame->clockWindow();
    EXPECT_FALSE(clock.isVisible());
    const std::vector<std::string> before = MenuTexts(clock);
    EXPECT_EQ(before.back(), "&Properties");

    rig.frame->OnTrayAbsenceCheck(false, 2000);  // a panel may still come
    EXPECT_TRUE(rig.messages.boxes().empty());
    rig.frame->OnTrayAbsenceCheck(false, TrayAbsence::kGraceMs);
    ASSERT_EQ(rig.messages.boxes().size(), 1u);
    EXPECT_EQ(rig.messages.boxes()[0].text, CMainFrame::kNoTrayMessage);
    EXPECT_EQ(rig.messages.boxes()[0].caption, "Horalux");
    EXPECT_TRUE(clock.isVisible());
    EXPECT_EQ(rig.store.read(keys::DigitalClockEnabled), 0) << "the user's choice stays stored";
    rig.frame->OnTrayAbsenceCheck(false, 3 * TrayAbsence::kGraceMs);
    EXPECT_EQ(rig.messages.boxes().size(), 1u);

    std::vector<std::string> after = MenuTexts(clock);
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(after.back(), "&Exit");
    QSignalSpy closed(rig.frame.get(), &CMainFrame::closed);
    clock.runCommand(command::kExit);
    EXPECT_EQ(closed.count(), 1);
}

TEST(NoTrayTest, ATrayThatAppearsInTimeMeansNoNoticeAndNoExitOnTheClock) {
    NoTrayRig rig;
    rig.frame->OnTrayAbsenceCheck(true, 3000);
    rig.frame->OnTrayAbsenceCheck(false, 2 * TrayAbsence::kGraceMs);
    EXPECT_TRUE(rig.messages.boxes().empty());
    EXPECT_FALSE(rig.frame->clockWindow()->isVisible());
    EXPECT_EQ(MenuTexts(*rig.frame->clockWindow()).back(), "&Properties");
    QSignalSpy closed(rig.frame.get(), &CMainFrame::closed);
    rig.frame->clockWindow()->runCommand(command::kExit);
    EXPECT_EQ(closed.count(), 0);
}

}  // namespace
}  // namespace horalux
