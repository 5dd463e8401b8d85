// The server list manager on screen: its face, Enter adding while the address is typed and
// pressing OK elsewhere, the keyboard alone, and OK or Cancel handing the list back or not.
#include "ui/server_list_manager.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "platform/fake_message_service.h"
#include "support/test_dirs.h"
#include "ui/dialog_units.h"

namespace horalux {
namespace {

using Names = std::vector<std::string>;

const Names kDefaults{"time.nist.gov", "time-a-g.nist.gov", "time-b-g.nist.gov",
                      "time-a-wwv.nist.gov", "time-a-b.nist.gov"};

// Runs `action` once the dialog's modal loop runs; a fallback rejects it after ten seconds.
int execWith(ServerListManager& dialog, const std::function<void()>& action) {
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog)) << "keys go to the active window";
        action();
    });
    QTimer::singleShot(10000, &dialog, [&] {
        ADD_FAILURE() << "the dialog did not end";
        dialog.reject();
    });
    return dialog.exec();
}

QStringList shown(const ServerListManager& dialog) {
    QStringList entries;
    for (int i = 0; i < dialog.serverList()->count(); ++i) {
        entries.append(dialog.serverList()->item(i)->text());
    }
    return entries;
}

TEST(ServerListManagerTest, LooksAsDesignedWithLabelledFieldsInTemplateOrder) {
    FakeMessageService messages;
    ServerListManager dialog(messages);
    dialog.setServers(kDefaults);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Network server list manager"));
    EXPECT_EQ(dialog.size(), dialogRect(0, 0, 230, 116).size());
    EXPECT_EQ(shown(dialog),
              (QStringList{"time-a-b.nist.gov", "time-a-g.nist.gov", "time-a-wwv.nist.gov",
                           "time-b-g.nist.gov", "time.nist.gov"}));
    EXPECT_EQ(dialog.serverList()->currentRow(), 0);
    EXPECT_FALSE(dialog.addButton()->isEnabled()) << "nothing typed yet";
    EXPECT_TRUE(dialog.okButton()->isDefault() || dialog.addButton()->isDefault());

    auto* label = dialog.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Server address:"));
    EXPECT_EQ(label->buddy(), dialog.addressEdit());
    EXPECT_FALSE(dialog.serverList()->accessibleName().isEmpty());

    // Inside the dialog, apart from each other, the texts not cut off.
    const QList<QWidget*> controls = {label,
                                      dialog.addressEdit(),
                                      dialog.addButton(),
                                      dialog.serverList(),
                                      dialog.removeButton(),
                                      dialog.okButton(),
                                      dialog.cancelButton()};
    for (int i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(dialog.rect().contains(controls[i]->geometry())) << i;
        for (int j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << j;
        }
    }
    EXPECT_LE(label->sizeHint().width(), label->width());

    // Tab goes through the controls in the template's order.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.addressEdit()->setFocus();
    QTest::keyClicks(dialog.addressEdit(), QStringLiteral("x"));  // Add takes the focus now
    const QList<QWidget*> order = {dialog.addressEdit(), dialog.addButton(),
                                   dialog.serverList(),  dialog.removeButton(),
                                   dialog.okButton(),    dialog.cancelButton()};
    for (QWidget* expected : order) {
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), dialog.addressEdit()) << "and round again";
    dialog.addressEdit()->clear();

    std::filesystem::create_directories(test::buildDir() / "screenshots");
    EXPECT_TRUE(dialog.grab().save(QString::fromStdString(
        (test::buildDir() / "screenshots" / "server-list-manager.png").string())));
}

TEST(ServerListManagerTest, EnterAddsWhileTheAddressIsTypedAndOkHandsBackTheSortedList) {
    FakeMessageService messages;
    ServerListManager dialog(messages);
    dialog.setServers({"b.example", "c.example"});
    const int result = execWith(dialog, [&] {
        QLineEdit* address = dialog.addressEdit();
        address->setFocus();
        ASSERT_TRUE(address->hasFocus());
        EXPECT_TRUE(dialog.addButton()->isDefault());
        QTest::keyClick(address, Qt::Key_Return);  // nothing typed: Enter does nothing
        EXPECT_TRUE(dialog.isVisible());

        QTest::keyClicks(address, QStringLiteral(" a.example "));
        EXPECT_TRUE(dialog.addButton()->isEnabled());
        QTest::keyClick(address, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible()) << "Enter added instead of closing";
        EXPECT_EQ(shown(dialog), (QStringList{"a.example", "b.example", "c.example"}));
        EXPECT_EQ(dialog.serverList()->currentRow(), 0) << "the new entry is selected";
        EXPECT_TRUE(address->text().isEmpty());
        EXPECT_FALSE(dialog.addButton()->isEnabled());

        // To the list with Tab (past the disabled Add), down to the last entry, removed; the one
        // before it is selected.
        QTest::keyClick(address, Qt::Key_Tab);
        ASSERT_TRUE(dialog.serverList()->hasFocus());
        EXPECT_TRUE(dialog.okButton()->isDefault()) << "OK is the default away from the address";
        QTest::keyClick(dialog.serverList(), Qt::Key_End);
        EXPECT_EQ(dialog.serverList()->currentRow(), 2);
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        EXPECT_EQ(shown(dialog), (QStringList{"a.example", "b.example"}));
        EXPECT_EQ(dialog.serverList()->currentRow(), 1);
        EXPECT_EQ(dialog.servers(), (Names{"b.example", "c.example"})) << "not before OK";
        QTest::keyClick(dialog.serverList(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.servers(), (Names{"a.example", "b.example"}));
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(ServerListManagerTest, CancelHandsBackTheListAsItWasGiven) {
    FakeMessageService messages;
    ServerListManager dialog(messages);
    dialog.setServers(kDefaults);
    const int result = execWith(dialog, [&] {
        QTest::keyClicks(dialog.addressEdit(), QStringLiteral("ntp.example"));
        QTest::mouseClick(dialog.addButton(), Qt::LeftButton);
        dialog.serverList()->setCurrentRow(0);
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.serverList()->count(), 5);
        // Nothing selected (Ctrl+click takes the selection away): Remove removes nothing.
        dialog.serverList()->clearSelection();
        QTest::mouseClick(dialog.removeButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.serverList()->count(), 5);
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.servers(), kDefaults);
}

}  // namespace
}  // namespace horalux
