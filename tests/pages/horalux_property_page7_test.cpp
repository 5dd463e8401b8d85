// The Network Time page: a fresh store's face, the protocol and its port, the server picked by
// the user or followed every second, random choice, the status line, and the server list manager
// with OK and Cancel.
#include "pages/horalux_property_page7.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/settings_keys.h"
#include "app/time_server_list.h"
#include "page_fixture.h"
#include "sync/nts_failure.h"
#include "ui/server_list_manager.h"

namespace horalux {
namespace {

using Page = CHoraluxPropertyPage7;

const QStringList kSortedDefaults{"time-a-b.nist.gov", "time-a-g.nist.gov", "time-a-wwv.nist.gov",
                                  "time-b-g.nist.gov", "time.nist.gov"};

// A fresh store as start-up leaves it: the default list written and a server chosen.
Page& ShowAfterStartup(test::PageFixture& f) {
    f.runtime.setCurrentServer(TimeServerList(f.store).chooseServer());
    return f.Show(new Page(f.services(), f.sheet.bubbleTip()));
}

QStringList Entries(Page& page) {
    QStringList entries;
    auto* box = page.Control<QComboBox>(Page::kServer);
    for (int i = 0; i < box->count(); ++i) {
        entries.append(box->itemText(i));
    }
    return entries;
}

// Clicks "Add/Delete..." and runs `action` on the manager once it shows; bounded: the manager is
// cancelled after ten seconds.
void WithManager(Page& page, const std::function<void(ServerListManager&)>& action) {
    QTimer::singleShot(0, &page, [&] {
        auto* manager = qobject_cast<ServerListManager*>(QApplication::activeModalWidget());
        ASSERT_NE(manager, nullptr) << "no server list manager";
        QTimer::singleShot(10000, manager, [manager] {
            ADD_FAILURE() << "the manager did not end";
            manager->reject();
        });
        action(*manager);
    });
    QTest::mouseClick(page.Control<QPushButton>(Page::kAddDelete), Qt::LeftButton);
}

TEST(NetworkTimePageTest, AFreshStoreShowsSntpTheSortedDefaultsAndTheChosenServer) {
    test::PageFixture f;
    auto& page = ShowAfterStartup(f);
    const std::string chosen = f.store.read(keys::TimeServer);
    ASSERT_FALSE(chosen.empty());

    EXPECT_EQ(page.caption(), QStringLiteral("Network Time"));
    EXPECT_TRUE(page.Control<QRadioButton>(Page::kSntp)->isChecked());
    EXPECT_FALSE(page.Control<QRadioButton>(Page::kDaytime)->isChecked());
    EXPECT_EQ(page.Control<QLineEdit>(Page::kDaytimePort)->text(), QStringLiteral("13"));
    EXPECT_FALSE(page.Control(Page::kDaytimePort)->isEnabled());
    EXPECT_FALSE(page.Control<QCheckBox>(Page::kRandom)->isChecked());
    EXPECT_FALSE(page.Control<QCheckBox>(Page::kNts)->isChecked());
    EXPECT_EQ(page.Control<QCheckBox>(Page::kNts)->text(), QStringLiteral("Authenticate with NTS"));
    EXPECT_TRUE(page.Control(Page::kNts)->isEnabled()) << "SNTP is chosen";
    EXPECT_FALSE(page.Control(Page::kNts)->accessibleDescription().isEmpty());
    EXPECT_FALSE(f.store.contains(keys::kSettings, "UseNTS")) << "nothing to store until clicked";
    EXPECT_TRUE(page.Control(Page::kServer)->isEnabled());
    EXPECT_EQ(page.Control<QComboBox>(Page::kServer)->property("sorted"), true);
    EXPECT_EQ(Entries(page), kSortedDefaults);
    EXPECT_EQ(page.Control<QComboBox>(Page::kServer)->currentText().toStdString(), chosen);
    // Shown once, stored: the network update and the page agree on the protocol from now on.
    EXPECT_EQ(f.store.read(keys::UseSNTPForUpdate), 1);
    EXPECT_TRUE(f.store.contains(keys::kNetwork, "UseRandomServer"));
    EXPECT_EQ(f.store.read(keys::TimeServerPort), 13);
    EXPECT_EQ(page.TimerPeriod(1), 1000);

    std::vector<QString> buddies;
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            buddies.push_back(label->text() + "->" + label->buddy()->objectName());
        }
    }
    std::sort(buddies.begin(), buddies.end());
    EXPECT_EQ(buddies, (std::vector<QString>{"Daytime Time Server Port:->control1037",
                                             "Network Status:->control1041",
                                             "Network Time Server Address:->control1036"}));
    EXPECT_EQ(page.Control(Page::kServer)->accessibleDescription(),
              QStringLiteral("Sets the network time server address."));
    EXPECT_EQ(page.Control<QLabel>(Page::kStatus)->text(), QStringLiteral("Disabled"))
        << "shown at once";
    f.Screenshot("page-network-time");
}

TEST(NetworkTimePageTest, ChoicesAreStoredAsTheyAreMade) {
    test::PageFixture f;
    auto& page = ShowAfterStartup(f);
    auto* port = page.Control<QLineEdit>(Page::kDaytimePort);

    // NTS is stored at the click, and offered with SNTP only.
    auto* nts = page.Control<QCheckBox>(Page::kNts);
    QTest::mouseClick(nts, Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::UseNTS), 1);
    QTest::mouseClick(page.Control<QRadioButton>(Page::kDaytime), Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::UseSNTPOnPage), 0);
    EXPECT_TRUE(port->isEnabled());
    EXPECT_FALSE(nts->isEnabled());
    EXPECT_EQ(f.store.read(keys::UseNTS), 1) << "kept for when SNTP is chosen again";
    port->clear();
    QTest::keyClicks(port, QStringLiteral("12x"));
    EXPECT_EQ(f.store.read(keys::TimeServerPort), 0) << "not a number: 0";
    QTest::keyClick(port, Qt::Key_Backspace);
    EXPECT_EQ(f.store.read(keys::TimeServerPort), 12);
    EXPECT_EQ(f.runtime.daytimePort.load(), 12);
    QTest::mouseClick(page.Control<QRadioButton>(Page::kSntp), Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::UseSNTPOnPage), 1);
    EXPECT_FALSE(port->isEnabled());
    EXPECT_TRUE(nts->isEnabled());
    QTest::mouseClick(nts, Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::UseNTS), 0);

    // The user picks a server with the keyboard.
    auto* box = page.Control<QComboBox>(Page::kServer);
    box->setCurrentIndex(0);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(f.store.read(keys::TimeServer), "time-a-g.nist.gov");
    EXPECT_EQ(f.runtime.currentServer(), "time-a-g.nist.gov");

    QTest::mouseClick(page.Control<QCheckBox>(Page::kRandom), Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::UseRandomServer), 1);
    EXPECT_FALSE(box->isEnabled());
    QTest::mouseClick(page.Control<QCheckBox>(Page::kRandom), Qt::LeftButton);
    EXPECT_EQ(f.store.read(keys::UseRandomServer), 0);
    EXPECT_TRUE(box->isEnabled());
}

TEST(NetworkTimePageTest, EverySecondTheStatusLineAndTheBoxFollowTheUpdates) {
    test::PageFixture f;
    auto& page = ShowAfterStartup(f);
    const struct {
        int32_t network;
        int32_t failed;
        NtsFailure nts;
        const char* status;
    } cases[] = {
        {0, 1, NtsFailure::None, "Disabled"},
        {1, 1, NtsFailure::None, "Cannot connect to network time server"},
        {1, 0, NtsFailure::None, "Nominal"},
        {0, 1, NtsFailure::AuthenticationFailed, "Disabled"},
        {1, 1, NtsFailure::CertificateNotTrusted,
         "NTS certificate not trusted: check the server name"},
        {1, 1, NtsFailure::KeyExchangeRefused, "Server refused NTS: choose an NTS server"},
        {1, 1, NtsFailure::NoCookies, "NTS server sent no cookies: try another server"},
        {1, 1, NtsFailure::AuthenticationFailed, "NTS replies not authentic: try another network"},
        {1, 0, NtsFailure::None, "Nominal"},
    };
    for (const auto& c : cases) {
        f.runtime.useNetworkTime = c.network;
        f.flags.networkFailed = c.failed;
        f.flags.ntsFailure = static_cast<int32_t>(c.nts);
        page.FireTimer(1);
        EXPECT_EQ(page.Control<QLabel>(Page::kStatus)->text(), QString::fromLatin1(c.status));
        if (c.nts == NtsFailure::CertificateNotTrusted) {
            f.Screenshot("page-network-time-nts-failure");
        }
    }

    // Random choice: each update's server shows within a second; the store is not written.
    QTest::mouseClick(page.Control<QCheckBox>(Page::kRandom), Qt::LeftButton);
    auto* box = page.Control<QComboBox>(Page::kServer);
    const std::string stored = f.store.read(keys::TimeServer);
    for (const char* server : {"time-b-g.nist.gov", "time-a-b.nist.gov"}) {
        f.runtime.setCurrentServer(server);
        page.FireTimer(1);
        EXPECT_EQ(box->currentText().toStdString(), server);
    }
    EXPECT_EQ(f.store.read(keys::TimeServer), stored);
    f.runtime.setCurrentServer("not.listed");
    page.FireTimer(1);
    EXPECT_EQ(box->currentText(), QStringLiteral("time-a-b.nist.gov")) << "not listed: left alone";

    // While the box has the keyboard focus the user is choosing: the timer leaves it alone.
    QTest::mouseClick(page.Control<QCheckBox>(Page::kRandom), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.sheet));
    box->setFocus();
    ASSERT_TRUE(box->hasFocus());
    f.runtime.setCurrentServer("time.nist.gov");
    page.FireTimer(1);
    EXPECT_EQ(box->currentText(), QStringLiteral("time-a-b.nist.gov"));
    page.Control(Page::kAddDelete)->setFocus();
    page.FireTimer(1);
    EXPECT_EQ(box->currentText(), QStringLiteral("time.nist.gov"));
}

TEST(NetworkTimePageTest, TheManagersListIsStoredSortedAfterOkAndNothingAfterCancel) {
    test::PageFixture f;
    auto& page = ShowAfterStartup(f);
    f.runtime.setCurrentServer("time-a-g.nist.gov");
    f.store.write(keys::TimeServer, "time-a-g.nist.gov");
    page.FireTimer(1);

    // Cancelled: nothing written, the box as it was.
    const int writes = f.store.writeCount();
    WithManager(page, [](ServerListManager& manager) {
        manager.addressEdit()->setText(QStringLiteral("a.example"));
        manager.addButton()->click();
        manager.reject();
    });
    EXPECT_EQ(f.store.writeCount(), writes);
    EXPECT_EQ(Entries(page), kSortedDefaults);

    // The current server removed, one added: the list is stored sorted, and the first entry
    // becomes the current server.
    WithManager(page, [](ServerListManager& manager) {
        EXPECT_EQ(manager.serverList()->count(), 5) << "opened with the stored list";
        manager.serverList()->setCurrentRow(1);  // time-a-g.nist.gov
        manager.removeButton()->click();
        manager.addressEdit()->setText(QStringLiteral(" ntp.example:12300"));
        manager.addButton()->click();
        manager.accept();
    });
    const std::vector<std::string> stored = TimeServerList(f.store).loadList();
    EXPECT_EQ(stored, (std::vector<std::string>{"ntp.example:12300", "time-a-b.nist.gov",
                                                "time-a-wwv.nist.gov", "time-b-g.nist.gov",
                                                "time.nist.gov"}));
    EXPECT_EQ(f.store.read(keys::netServer(5)), "None");
    EXPECT_EQ(Entries(page).size(), 5);
    EXPECT_EQ(page.Control<QComboBox>(Page::kServer)->currentIndex(), 0);
    EXPECT_EQ(f.store.read(keys::TimeServer), "ntp.example:12300");
    EXPECT_EQ(f.runtime.currentServer(), "ntp.example:12300");

    // Still listed after OK: the current server stays selected and nothing else is stored.
    WithManager(page, [](ServerListManager& manager) {
        manager.addressEdit()->setText(QStringLiteral("b.example"));
        manager.addButton()->click();
        manager.accept();
    });
    EXPECT_EQ(page.Control<QComboBox>(Page::kServer)->currentText(),
              QStringLiteral("ntp.example:12300"));
    EXPECT_EQ(f.store.read(keys::NumberOfTimeServers), 6);

    // Emptied: an empty list and an empty name (the next server choice restores the defaults).
    WithManager(page, [](ServerListManager& manager) {
        while (manager.serverList()->count() > 0) {
            manager.removeButton()->click();
        }
        manager.accept();
    });
    EXPECT_EQ(f.store.read(keys::NumberOfTimeServers), 0);
    EXPECT_EQ(Entries(page), QStringList{});
    EXPECT_EQ(f.store.read(keys::TimeServer), "");
    EXPECT_EQ(f.runtime.currentServer(), "");
    EXPECT_TRUE(f.messages.boxes().empty());
}

}  // namespace
}  // namespace horalux
