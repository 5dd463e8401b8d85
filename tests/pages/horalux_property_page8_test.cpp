// The System Configuration page: the bubble tips switched at once, a change of reference
// reopening the receiver's port (GPS) or closing it and clearing the GPS record (network), and
// the start at log-in with the lines on the clock privilege and other time services.
#include "pages/horalux_property_page8.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include <QLabel>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "app/chrony_watch.h"
#include "app/desktop_integration.h"
#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "page_fixture.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

using Page = CHoraluxPropertyPage8;

TEST(SystemConfigurationPageTest, ShowsTheReferenceAndTheTipsAndSwitchesTheTipsAtOnce) {
    for (const int network : {0, 1}) {
        test::PageFixture f;
        f.runtime.useNetworkTime = network;
        f.sheet.bubbleTip().setEnabled(network == 0);
        auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
        EXPECT_EQ(page.Control<QRadioButton>(Page::kUseGps)->isChecked(), network == 0);
        EXPECT_EQ(page.Control<QRadioButton>(Page::kUseNetwork)->isChecked(), network == 1);
        EXPECT_EQ(page.Control<QCheckBox>(Page::kEnableBubbles)->isChecked(), network == 0);
        EXPECT_EQ(f.device->openCount(), 0) << "showing the page changes nothing";
        if (network == 1) {
            continue;
        }
        EXPECT_EQ(page.caption(), QStringLiteral("System Configuration"));
        QStringList groups;
        for (const QGroupBox* group : page.findChildren<QGroupBox*>()) {
            groups.append(group->title());
        }
        groups.sort();
        EXPECT_EQ(groups, (QStringList{"Miscellaneous ", "PC Clock Reference"}));
        f.Screenshot("page-system-configuration");

        QTest::mouseClick(page.Control<QCheckBox>(Page::kEnableBubbles), Qt::LeftButton);
        EXPECT_FALSE(f.sheet.bubbleTip().isEnabled());
        EXPECT_EQ(f.store.read(keys::EnableBubbleTip), 0);
        QTest::keyClick(page.Control<QCheckBox>(Page::kEnableBubbles), Qt::Key_Space);
        EXPECT_TRUE(f.sheet.bubbleTip().isEnabled());
        EXPECT_EQ(f.store.read(keys::EnableBubbleTip), 1);
    }
}

TEST(SystemConfigurationPageTest,
     GpsReopensTheStoredPortAndTheNetworkClosesItAndClearsTheRecordAndSky) {
    test::PageFixture f;
    f.store.write(keys::Device, "/dev/ttyACM0");
    f.store.write(keys::Baud, 9600);
    f.runtime.useNetworkTime = 0;
    ASSERT_EQ(f.serial.OpenFromSettings(f.store), 0);
    f.gps.portHandle = f.serial.Handle();
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));

    // GPS while GPS is the reference: the port is closed and opened again all the same.
    QTest::mouseClick(page.Control<QRadioButton>(Page::kUseGps), Qt::LeftButton);
    EXPECT_EQ(f.device->closeCount(), 1);
    EXPECT_EQ(f.device->openedPaths(), (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyACM0"}));
    EXPECT_EQ(f.device->lastSettings().baud, 9600);
    EXPECT_EQ(f.gps.portHandle, f.serial.Handle());
    EXPECT_EQ(f.store.read(keys::UseNetworkTime), 0);
    EXPECT_TRUE(f.store.contains(keys::kSettings, "UseNetworkTime"));

    // The network: the port closes, the record is cleared at once.
    f.gps.latitude = -33.85;
    f.gps.utcSecond = 17;
    f.gps.satellitesInView = 9;
    f.gps.satellites[0] = {12, 40, 50, 1, 38};
    NmeaParser(f.gps, &f.sky).Dispatch("GLGSV", "1,1,01,65,40,083,46");
    ASSERT_FALSE(f.sky.Satellites().empty());
    QTest::mouseClick(page.Control<QRadioButton>(Page::kUseNetwork), Qt::LeftButton);
    EXPECT_EQ(f.runtime.useNetworkTime.load(), 1);
    EXPECT_EQ(f.store.read(keys::UseNetworkTime), 1);
    EXPECT_FALSE(f.serial.IsOpen());
    EXPECT_EQ(f.gps.portHandle, nullptr);
    EXPECT_EQ(f.gps.latitude, 0.0);
    EXPECT_EQ(f.gps.utcSecond, 0);
    EXPECT_EQ(f.gps.satellitesInView, 0);
    EXPECT_EQ(f.gps.satellites[0], SatelliteInfo{});
    EXPECT_TRUE(f.sky.Satellites().empty()) << "and the sky view, which nothing would age now";
    EXPECT_TRUE(f.sky.GpsOnly());

    // And back, with the port failing to open: the reference is GPS all the same, and the serial
    // port has said why.
    f.device->setOpenResult({SerialOpenStep::Open, EBUSY});
    QTest::mouseClick(page.Control<QRadioButton>(Page::kUseGps), Qt::LeftButton);
    EXPECT_EQ(f.runtime.useNetworkTime.load(), 0);
    EXPECT_EQ(f.store.read(keys::UseNetworkTime), 0);
    EXPECT_EQ(f.gps.portHandle, f.serial.Handle());
    ASSERT_EQ(f.messages.boxes().size(), 1u);
    EXPECT_EQ(f.messages.boxes()[0].text.rfind("Access Denied!", 0), 0u);
}

// Reports what it is told to, later, as the real sources do.
class LaterSource final : public TimeServiceSource {
  public:
    void detect(Report report) override { pending = std::move(report); }
    Report pending;
};

TEST(SystemConfigurationPageTest, StartAtLogInAndTheLinesOnThePrivilegeAndOtherServices) {
    test::TempDir config;
    const QString folder = QString::fromStdString((config.path() / "autostart").string());
    AutostartEntry autostart{
        {"example.quorvane.Horalux", "Horalux", "Keeps the clock"}, "/usr/bin/horalux", folder};
    const auto entry = config.path() / "autostart" / "example.quorvane.Horalux.desktop";
    LaterSource source;
    test::PageFixture f;
    DesktopIntegration desktop(autostart, {&source}, f.messages);
    PageServices services = f.services();
    services.desktop = &desktop;
    auto& page = f.Show(new Page(services, f.sheet.bubbleTip()));

    auto* box = page.Control<QCheckBox>(Page::kStartAtLogIn);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Start Horalux when I log in"));
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(std::filesystem::exists(entry));
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_FALSE(std::filesystem::exists(entry));

    // The privilege line shows when a clock setting has failed, and says what to do.
    const auto* privilege = page.Control<QLabel>(Page::kClockPrivilege);
    EXPECT_FALSE(privilege->isVisible());
    desktop.noteClockSetting({ClockSetResult::NoHelper, "the bus knows no helper"});
    QCoreApplication::processEvents();
    EXPECT_TRUE(privilege->isVisible());
    EXPECT_TRUE(privilege->text().contains(QStringLiteral("Install Horalux's package")))
        << privilege->text().toStdString();
    EXPECT_EQ(privilege->accessibleName(), privilege->text());

    // The other services' line comes when the look ends, without blocking the page.
    const auto* others = page.Control<QLabel>(Page::kOtherTimeServices);
    EXPECT_FALSE(others->isVisible());
    ASSERT_TRUE(source.pending);
    source.pending(TimeServiceReport{{"chronyd"}, false});
    EXPECT_TRUE(others->isVisible());
    EXPECT_TRUE(others->text().contains(QStringLiteral("chronyd"))) << others->text().toStdString();
    f.Screenshot("page-system-configuration-notes");
}

// The feed's box stores "FeedChrony" as the user changes it; while GPS time goes to chronyd the
// page says that the program leaves the clock to chronyd, and gives chronyd's state (from
// chronyc, here a stand-in that answers as chronyd does) in place of the other services.
TEST(SystemConfigurationPageTest, FeedingChronydSwapsTheLinesForChronydsState) {
    test::TempDir dir;
    const auto chronyc = dir.path() / "chronyc";
    std::ofstream(chronyc) << "#!/bin/sh\n"
                              "echo '#,*,GPS,0,0,377,1,0.000012,0.000013,0.05'\n";
    std::filesystem::permissions(chronyc, std::filesystem::perms::owner_all);
    AutostartEntry autostart{{"example.quorvane.Horalux", "Horalux", "Keeps the clock"},
                             "/usr/bin/horalux",
                             QString::fromStdString((dir.path() / "autostart").string())};
    LaterSource source;
    test::PageFixture f;
    int attached = 2;  // chronyd has the segment attached
    struct Segment final : SharedMemory {
        explicit Segment(int& n) : n_(n) {}
        void* data() override { return &time_; }
        size_t size() const override { return sizeof time_; }
        int attachCount() const override { return n_; }
        ShmTime time_{};
        int& n_;
    };
    ChronyFeed feed(f.store, f.runtime, f.gps, [&](int, std::string*) {
        return std::unique_ptr<SharedMemory>(std::make_unique<Segment>(attached));
    });
    ChronyWatch watch(feed, QString::fromStdString(chronyc.string()));
    DesktopIntegration desktop(autostart, {&source}, f.messages);
    PageServices services = f.services();
    services.desktop = &desktop;
    services.chrony = &watch;
    auto& page = f.Show(new Page(services, f.sheet.bubbleTip()));
    source.pending(TimeServiceReport{{"chronyd"}, false});
    const auto* first = page.Control<QLabel>(Page::kClockPrivilege);
    const auto* second = page.Control<QLabel>(Page::kOtherTimeServices);
    EXPECT_TRUE(second->text().startsWith(QStringLiteral("Another time service")));
    EXPECT_EQ(page.TimerPeriod(Page::kChronyTimer), Page::kChronyLookMs);

    auto* box = page.Control<QCheckBox>(Page::kFeedChrony);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Feed GPS time to chronyd"));
    EXPECT_FALSE(box->isChecked());
    QSignalSpy looked(&watch, &ChronyWatch::lineChanged);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::FeedChrony), 1);
    EXPECT_EQ(f.runtime.feedChrony.load(), 1);
    EXPECT_EQ(first->text(), Page::kLeftToChronyd);
    feed.OnPortRead(0, 0);  // the heartbeat's turn attaches the segment
    ASSERT_TRUE(looked.wait(5000)) << "checking the box looks at chronyd at once";
    EXPECT_EQ(second->text().toStdString(),
              "chronyd reads the GPS time of SHM 2 (source GPS): selected, offset +0.012 ms. GPS "
              "time is not locked: Horalux offers none now.");
    EXPECT_EQ(second->accessibleName(), second->text());
    f.Screenshot("page-system-configuration-chrony");

    // The network as the reference: nothing is fed, and the lines are the usual ones again.
    QTest::mouseClick(page.Control<QRadioButton>(Page::kUseNetwork), Qt::LeftButton);
    EXPECT_FALSE(first->isVisible()) << "nothing stands in the way of setting the clock";
    EXPECT_TRUE(second->text().startsWith(QStringLiteral("Another time service")));
    QTest::mouseClick(page.Control<QRadioButton>(Page::kUseGps), Qt::LeftButton);
    EXPECT_EQ(first->text(), Page::kLeftToChronyd);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(f.store.read(keys::FeedChrony), 0);
    EXPECT_EQ(f.runtime.feedChrony.load(), 0);
    EXPECT_FALSE(first->isVisible());
}

// Without the desktop's services (a test, a build without them) the page has none of the three.
TEST(SystemConfigurationPageTest, WithoutTheDesktopServicesTheMiscellaneousGroupHasOnlyTheTips) {
    test::PageFixture f;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    EXPECT_EQ(page.Control(Page::kStartAtLogIn), nullptr);
    EXPECT_EQ(page.Control(Page::kClockPrivilege), nullptr);
}

}  // namespace
}  // namespace horalux
