// The GPS Configuration page: its template, the fields stored keystroke by keystroke (the fix-up
// delay refused with a beep outside -999..999), the time sentence, the lock rules, and "Apply
// Comm Settings" storing the port (a number or a device path) and reopening it.
#include "pages/horalux_property_page4.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "page_fixture.h"
#include "pages/comm_settings.h"
#include "pages/receiver_delay_dialog.h"
#include "sync/delay_measurement.h"
#include "ui/dialog_units.h"

namespace horalux {
namespace {

using Page = CHoraluxPropertyPage4;

// "Comm Port:", an editable list.
QComboBox* PortField(Page& page) {
    return page.Control<QComboBox>(Page::kCommPort);
}

// The value stored under `key` after each keystroke of `keys` typed into the field `id`.
std::vector<int32_t> TypeInto(test::PageFixture& f, Page& page, int id, const QString& keys,
                              const IntSetting& key) {
    std::vector<int32_t> stored;
    for (const QChar c : keys) {
        QTest::keyClick(page.Control<QLineEdit>(id), c.toLatin1());
        stored.push_back(f.store.read(key));
    }
    return stored;
}

TEST(GpsConfigurationPageTest, ShowsTheStoredSettingsWithTipsAndLabelledFields) {
    test::PageFixture f;
    f.store.write(keys::Port, 3);
    f.store.write(keys::Baud, 9600);
    f.store.write(keys::GPSTimeDelay, -20);
    f.store.write(keys::UseTimrFrom, 1);
    f.gps.timeSource = 1;
    f.runtime.lockNeedsGoodGga = 0;
    f.runtime.lockSatellites = 4;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));

    EXPECT_EQ(page.caption(), QStringLiteral("GPS Configuration"));
    EXPECT_EQ(page.Control(Page::kFixUpDelay)->geometry(), dialogRect(123, 79, 69, 12));
    EXPECT_EQ(PortField(page)->currentText(), QStringLiteral("3"));
    EXPECT_EQ(page.Control<QLineEdit>(Page::kBaud)->text(), QStringLiteral("9600"));
    EXPECT_EQ(page.Control<QLineEdit>(Page::kFixUpDelay)->text(), QStringLiteral("-20"));
    EXPECT_EQ(page.Control<QLineEdit>(Page::kLockSatellites)->text(), QStringLiteral("4"));
    EXPECT_TRUE(page.Control<QRadioButton>(Page::kRmc)->isChecked());
    EXPECT_FALSE(page.Control<QCheckBox>(Page::kLockNeedsGoodGga)->isChecked());
    EXPECT_EQ(f.store.read(keys::TLSats), 4) << "the initial texts are stored back";
    EXPECT_EQ(f.store.read(keys::GPSTimeDelay), -20);

    EXPECT_EQ(page.Control(Page::kLockSatellites)->accessibleDescription(),
              QStringLiteral("Must be tracking at least N satellites before assuming time lock"))
        << "a bubble tip is read as the field's description";
    std::vector<QString> buddies;
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            buddies.push_back(label->text() + "->" + label->buddy()->objectName());
        }
    }
    EXPECT_EQ(buddies, (std::vector<QString>{"Comm Port:->control1010", "Baud:->control1011",
                                             "GPS set time fix-up delay:->control1053",
                                             "Tracking at least:->control1026"}));
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        EXPECT_LE(button->sizeHint().width(), button->width() + 2) << button->text().toStdString();
    }
    EXPECT_TRUE(f.messages.beeps().empty());
    f.Screenshot("page-gps-configuration");
}

TEST(GpsConfigurationPageTest, FieldsAreStoredAsTypedAndAnOutOfRangeDelayOnlyBeeps) {
    test::PageFixture f;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    EXPECT_EQ(f.store.read(keys::GPSTimeDelay), 50);
    const struct {
        int id;
        const IntSetting& key;
        const char* keys;
        std::vector<int32_t> stored;
        size_t beeps;
    } cases[] = {
        {Page::kFixUpDelay, keys::GPSTimeDelay, "-25", {0, -2, -25}, 0},  // a lone "-" reads 0
        {Page::kFixUpDelay, keys::GPSTimeDelay, "1000", {1, 10, 100, 100}, 1},
        {Page::kFixUpDelay, keys::GPSTimeDelay, "-999", {0, -9, -99, -999}, 0},
        {Page::kFixUpDelay, keys::GPSTimeDelay, "12x", {1, 12, 0}, 0},
        {Page::kLockSatellites, keys::TLSats, "5", {5}, 0},
        {Page::kLockSatellites, keys::TLSats, "70000", {7, 70, 700, 7000, 4464}, 0},  // 16 bits
        {Page::kLockSatellites, keys::TLSats, "-1", {0, 65535}, 0},
    };
    for (const auto& c : cases) {
        auto* edit = page.Control<QLineEdit>(c.id);
        edit->clear();
        EXPECT_EQ(f.store.read(c.key), 0) << "an emptied field reads 0";
        f.messages.clear();
        EXPECT_EQ(TypeInto(f, page, c.id, QString::fromLatin1(c.keys), c.key), c.stored) << c.keys;
        EXPECT_EQ(f.messages.beeps().size(), c.beeps) << c.keys;
        if (c.beeps > 0) {
            EXPECT_EQ(f.messages.beeps()[0], kIconExclamation);
            EXPECT_EQ(edit->text(), QString::fromLatin1(c.keys)) << "the text stays as typed";
        }
    }
    EXPECT_EQ(f.runtime.lockSatellites.load(), 65535);

    // Port and speed are stored by "Apply Comm Settings" only.
    const int writes = f.store.writeCount();
    QTest::keyClicks(PortField(page)->lineEdit(), QStringLiteral("7"));
    QTest::keyClicks(page.Control<QLineEdit>(Page::kBaud), QStringLiteral("0"));
    EXPECT_EQ(f.store.writeCount(), writes);
    EXPECT_EQ(f.device->openCount(), 0);
}

TEST(GpsConfigurationPageTest, TheTimeSentenceAndTheLockRulesTakeEffectAtOnce) {
    test::PageFixture f;
    f.runtime.lockNeedsGoodGga = 1;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    EXPECT_TRUE(page.Control<QRadioButton>(Page::kGga)->isChecked());

    const struct {
        int id;
        int source;
    } radios[] = {{Page::kZda, 2}, {Page::kRmc, 1}, {Page::kGga, 0}, {Page::kZda, 2}};
    for (const auto& r : radios) {
        QTest::mouseClick(page.Control<QRadioButton>(r.id), Qt::LeftButton);
        EXPECT_EQ(f.gps.timeSource, r.source);
        EXPECT_EQ(f.store.read(keys::UseTimrFrom), r.source);
    }
    // With ZDA chosen, a GGA sentence no longer sets the time; a ZDA sentence does.
    NmeaParser parser(f.gps);
    parser.Dispatch("GPGGA", "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    EXPECT_EQ(f.gps.utcSecond, 0);
    parser.Dispatch("GPZDA", "201530.00,04,07,2002,00,00");
    EXPECT_EQ(f.gps.utcSecond, 30);

    QTest::mouseClick(page.Control<QCheckBox>(Page::kLockNeedsGoodGga), Qt::LeftButton);
    EXPECT_EQ(f.runtime.lockNeedsGoodGga.load(), 0);
    EXPECT_EQ(f.store.read(keys::TLGPSGood), 0);
    QTest::keyClick(page.Control<QCheckBox>(Page::kLockNeedsGoodGga), Qt::Key_Space);
    EXPECT_EQ(f.store.read(keys::TLGPSGood), 1) << "the keyboard works it too";
}

TEST(GpsConfigurationPageTest, ApplyStoresThePortAndReopensItWithTheSerialPortsMessages) {
    const struct {
        const char* port;
        const char* baud;
        int32_t storedPort;
        const char* storedDevice;
        const char* opened;
    } cases[] = {
        {"abc", "4800", 0, "", "/dev/ttyS-1"},  // not a number: port 0, which cannot open
        {"2", "9600", 2, "", "/dev/ttyS1"},
        {" /dev/ttyACM0 ", "115200", 5, "/dev/ttyACM0", "/dev/ttyACM0"},  // the number stays
        {"/dev/serial/by-id/usb-u-blox_GNSS-if00", "38400", 5,
         "/dev/serial/by-id/usb-u-blox_GNSS-if00", "/dev/serial/by-id/usb-u-blox_GNSS-if00"},
    };
    for (const auto& c : cases) {
        test::PageFixture f;
        f.store.write(keys::Port, 5);
        f.store.write(keys::Device, "/dev/ttyUSB3");
        auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
        EXPECT_EQ(PortField(page)->currentText(), QStringLiteral("/dev/ttyUSB3"))
            << "the device path that is opened, not the number it overrides";
        const bool fails = c.storedPort == 0;
        if (fails) {
            f.device->setOpenResult({SerialOpenStep::Open, ENOENT});
        }
        PortField(page)->setEditText(QString::fromLatin1(c.port));
        page.Control<QLineEdit>(Page::kBaud)->setText(QString::fromLatin1(c.baud));
        page.OnApplyCommSettings();

        EXPECT_EQ(f.store.read(keys::Port), c.storedPort) << c.port;
        EXPECT_EQ(f.store.read(keys::Device), c.storedDevice) << c.port;
        EXPECT_EQ(f.store.read(keys::Baud), QString::fromLatin1(c.baud).toInt()) << c.port;
        ASSERT_EQ(f.device->openCount(), 1) << c.port;
        EXPECT_EQ(f.device->openedPaths()[0], c.opened);
        EXPECT_EQ(f.device->lastSettings().baud, QString::fromLatin1(c.baud).toInt());
        EXPECT_EQ(f.gps.portHandle, f.serial.Handle());
        const auto boxes = f.messages.boxes();
        ASSERT_EQ(boxes.size(), fails ? 1u : 0u) << c.port;
        if (fails) {
            EXPECT_EQ(boxes[0].text,
                      "Communication Port Not Found!\n\nThe communications port does not exist. "
                      "Check your system configuration on the status of this Communication port");
            EXPECT_EQ(boxes[0].style, kIconStop);
        }
    }

    // Applied in network mode too: the port is reopened all the same.
    test::PageFixture f;
    f.runtime.useNetworkTime = 1;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    QTest::mouseClick(page.Control<QAbstractButton>(Page::kApplyComm), Qt::LeftButton);
    EXPECT_EQ(f.device->openedPaths(), std::vector<std::string>{"/dev/ttyS0"});
    EXPECT_TRUE(f.serial.IsOpen());
}

TEST(GpsConfigurationPageTest, TheSerialDevicesPresentAreListedWithWhatIsKnownOfThem) {
    test::PageFixture f;
    const std::string byId =
        "/dev/serial/by-id/usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver-if00";
    f.serialDevices.setDevices({{byId, "u-blox 7 - GPS/GNSS Receiver"}, {"/dev/ttyUSB0", ""}});
    f.store.write(keys::Device, byId);
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    QComboBox* port = PortField(page);
    EXPECT_EQ(page.OfferedDevices(),
              (QStringList{QString::fromStdString(byId) +
                               QStringLiteral(" \u2014 u-blox 7 - GPS/GNSS Receiver"),
                           "/dev/ttyUSB0"}));
    // The stored path, whole: the field spans the page and draws a long path narrower rather
    // than cut it off; the open list is as wide as its widest entry.
    EXPECT_EQ(port->currentText(), QString::fromStdString(byId));
    EXPECT_LE(port->lineEdit()->fontMetrics().horizontalAdvance(port->currentText()),
              port->lineEdit()->contentsRect().width());
    EXPECT_GE(port->lineEdit()->font().pixelSize(), 8);
    EXPECT_EQ(port->lineEdit()->toolTip(), QString::fromStdString(byId));
    EXPECT_GE(port->view()->minimumWidth(),
              port->fontMetrics().horizontalAdvance(page.OfferedDevices()[0]));
    f.Screenshot("page-gps-configuration-by-id");

    // Picked from the list: the field takes the path alone, which "Apply Comm Settings" opens.
    port->setCurrentIndex(1);
    EXPECT_EQ(port->currentText(), QStringLiteral("/dev/ttyUSB0"));
    port->setCurrentIndex(0);
    EXPECT_EQ(port->currentText(), QString::fromStdString(byId));
    page.OnApplyCommSettings();
    EXPECT_EQ(f.device->openedPaths(), std::vector<std::string>{byId});

    // Plugged in while the page was open: offered once the field takes the focus.
    f.serialDevices.setDevices({{"/dev/ttyACM0", "Fix Receiver"}, {"/dev/ttyUSB0", ""}});
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.sheet));
    port->setFocus();
    EXPECT_EQ(page.OfferedDevices(),
              (QStringList{QStringLiteral("/dev/ttyACM0 \u2014 Fix Receiver"), "/dev/ttyUSB0"}));
    EXPECT_EQ(port->currentText(), QString::fromStdString(byId)) << "refilling keeps the text";

    // Typing offers the paths that contain what is typed, and stays what is applied.
    port->clearEditText();
    QTest::keyClicks(port->lineEdit(), QStringLiteral("usb"));
    QCompleter* completer = port->completer();
    ASSERT_NE(completer, nullptr);
    EXPECT_EQ(completer->completionCount(), 1);
    EXPECT_EQ(completer->currentCompletion(), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(port->currentText(), QStringLiteral("usb")) << "what is typed stays what is applied";
}

TEST(GpsConfigurationPageTest, BaudFollowsTheSpeedFoundUnlessItIsBeingTyped) {
    test::PageFixture f;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    auto* baud = page.Control<QLineEdit>(Page::kBaud);
    EXPECT_EQ(baud->text(), QStringLiteral("4800"));
    EXPECT_TRUE(page.TimerRunning(Page::kBaudTimer));
    f.store.write(keys::Baud, 9600);  // the speed search found it
    page.FireTimer(Page::kBaudTimer);
    EXPECT_EQ(baud->text(), QStringLiteral("9600"));

    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.sheet));
    baud->setFocus();
    baud->setText(QStringLiteral("192"));
    f.store.write(keys::Baud, 38400);
    page.FireTimer(Page::kBaudTimer);
    EXPECT_EQ(baud->text(), QStringLiteral("192")) << "what the user types is left alone";
}

TEST(GpsConfigurationPageTest, MeasureDelayWithoutLockSaysWhyAndStoresNothing) {
    test::PageFixture f;
    f.store.write(keys::GPSTimeDelay, 120);
    f.runtime.setCurrentServer("time.example.org");
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    EXPECT_EQ(page.Control(Page::kMeasureDelay)->accessibleDescription().isEmpty(), false);
    f.flags.timeLocked = 0;
    QTest::mouseClick(page.Control<QAbstractButton>(Page::kMeasureDelay), Qt::LeftButton);
    ReceiverDelayDialog* dialog = page.delayDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Receiver Delay"));
    EXPECT_EQ(dialog->statusText(), QString::fromLatin1(ReceiverDelayDialog::kNotLockedText));
    EXPECT_FALSE(dialog->useButton()->isEnabled());
    dialog->cancelButton()->click();
    EXPECT_EQ(f.store.read(keys::GPSTimeDelay), 120);
}

TEST(GpsConfigurationPageTest, TheKeyboardAloneReachesEverySettingInTemplateOrder) {
    test::PageFixture f;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.sheet));
    page.Control(Page::kCommPort)->setFocus();
    std::vector<QString> stops;
    for (int i = 0; i < 8; ++i) {
        stops.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // One stop for the radio group (its checked button), as dialogs have it.
    EXPECT_EQ(stops,
              (std::vector<QString>{"control1010", "control1011", "control1012", "control1020",
                                    "control1053", "control1054", "control1025", "control1026"}));

    // The arrow keys move through the time sentences, and each is stored as it is reached.
    page.Control(Page::kGga)->setFocus();
    QTest::keyClick(page.Control(Page::kGga), Qt::Key_Down);
    EXPECT_TRUE(page.Control<QRadioButton>(Page::kRmc)->isChecked());
    EXPECT_EQ(f.store.read(keys::UseTimrFrom), 1);
    QTest::keyClick(page.Control(Page::kRmc), Qt::Key_Down);
    EXPECT_EQ(f.store.read(keys::UseTimrFrom), 2);
    EXPECT_EQ(f.gps.timeSource, 2);
}

// A measurement of `late` ms against a server on the PC's own time, with five GGA sentences that
// arrived `late` ms after the second they name.
struct MeasuredReceiver {
    explicit MeasuredReceiver(int late) {
        const auto steadyNs = [] {
            return std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
        const int64_t unixMs = systemUnixMillis();
        const int64_t steady = steadyNs();
        const auto server = [](SystemClock&) -> std::optional<SntpResult> { return SntpResult{}; };
        measurement = std::make_unique<DelayMeasurementThread>(gps, "test-server", server,
                                                               std::chrono::milliseconds(400));
        for (int i = 0; i < 200 && measurement->progress().sntpAnswers == 0; ++i) {
            QTest::qWait(2);
        }
        for (int64_t named = unixMs / 1000 + 1; named <= unixMs / 1000 + 5; ++named) {
            char data[64];
            std::snprintf(data, sizeof data, "%02d%02d%02d.00,4807.038,N,01131.000,E,1,08",
                          static_cast<int>(named % 86400 / 3600),
                          static_cast<int>(named % 3600 / 60), static_cast<int>(named % 60));
            parser.Dispatch("GPGGA", data, steady + (named * 1000 + late - unixMs) * 1000000);
        }
    }
    GpsState gps;
    NmeaParser parser{gps};
    std::unique_ptr<DelayMeasurementThread> measurement;
};

TEST(ReceiverDelayDialogTest, ShowsProgressThenTheResultAndHandsOnOnlyAStorableDelay) {
    for (const int late : {300, 1500}) {
        MeasuredReceiver receiver(late);
        ReceiverDelayDialog dialog({receiver.measurement.get(), "test-server", ""});
        std::vector<int> chosen;
        QObject::connect(&dialog, &ReceiverDelayDialog::delayChosen,
                         [&chosen](int delay) { chosen.push_back(delay); });
        dialog.show();
        EXPECT_TRUE(dialog.statusText().startsWith(QStringLiteral("Measuring: "))) << late;
        EXPECT_FALSE(dialog.useButton()->isEnabled());
        for (int i = 0; i < 300 && !dialog.useButton()->isEnabled(); ++i) {
            QTest::qWait(10);
        }
        ASSERT_TRUE(dialog.useButton()->isEnabled()) << dialog.statusText().toStdString();
        // The measurement's clock starts within a millisecond or two of the test's.
        const int measured = dialog.measuredText().section(QLatin1Char(' '), 0, 0).toInt();
        EXPECT_NEAR(measured, late, 2) << dialog.measuredText().toStdString();
        EXPECT_TRUE(dialog.measuredText().contains(QStringLiteral(" ms \u00b1 ")));
        EXPECT_TRUE(
            dialog.measuredText().endsWith(QStringLiteral("5 sentences against test-server")));
        dialog.useButton()->click();
        if (late == 300) {
            EXPECT_EQ(chosen, std::vector<int>{measured});
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        } else {
            EXPECT_TRUE(chosen.empty()) << "outside -999..999: nothing is stored";
            EXPECT_TRUE(dialog.statusText().contains(QStringLiteral(" ms, lies outside")));
            EXPECT_FALSE(dialog.useButton()->isEnabled());
            EXPECT_TRUE(dialog.isVisible());
        }
    }
}

TEST(CommPortTest, ANumberOrADevicePath) {
    const struct {
        const char* text;
        CommPortChoice choice;
    } cases[] = {
        {"1", {1, ""}},
        {" 12 ", {12, ""}},
        {"abc", {0, ""}},
        {"", {0, ""}},
        {"/dev/ttyUSB0", {0, "/dev/ttyUSB0"}},
        {"  /dev/serial/by-id/usb-x-if00\t", {0, "/dev/serial/by-id/usb-x-if00"}},
        {"/run/gps0", {0, "/run/gps0"}},  // a link made elsewhere
        {"dev/ttyUSB0", {0, ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCommPort(c.text), c.choice) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace horalux
