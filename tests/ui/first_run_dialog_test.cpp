// The first-run configuration dialog: its face, the preset choice, OK and Escape, and Help.
#include "ui/first_run_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "platform/fake_message_service.h"
#include "platform/fake_url_opener.h"
#include "support/test_dirs.h"
#include "ui/help_manual.h"

namespace horalux {
namespace {

// Runs `action` on the dialog once its modal loop is running; the loop is bounded by a fallback
// that rejects the dialog after ten seconds.
int execWith(FirstRunDialog& dialog, const std::function<void()>& action) {
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        action();
    });
    QTimer::singleShot(10000, &dialog, [&] {
        ADD_FAILURE() << "the dialog did not end";
        dialog.reject();
    });
    return dialog.exec();
}

TEST(FirstRunDialogTest, LooksAsDesignedAndHasNoCloseBox) {
    FirstRunDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Horalux Configuration"));
    EXPECT_EQ(dialog.size(), QSize(402, 224)) << "268 x 138 dialog units";
    EXPECT_TRUE(dialog.isModal());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog.choice(), -1);

    EXPECT_EQ(dialog.gpsButton()->text(), QStringLiteral("Synchronize to GPS"));
    EXPECT_EQ(dialog.networkButton()->text(),
              QStringLiteral("Synchronize to a network time server"));
    EXPECT_EQ(dialog.helpButton()->text(), QStringLiteral("Help..."));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.okButton()->isDefault());
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("ok")), dialog.okButton());
    auto* picture = dialog.findChild<QLabel*>(QStringLiteral("picture"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull()) << "bitmap 112";

    // Every control inside the dialog, none overlapping another, texts not cut off.
    const QList<QWidget*> controls = {picture,
                                      dialog.welcomeText(),
                                      dialog.gpsButton(),
                                      dialog.networkButton(),
                                      dialog.helpButton(),
                                      dialog.okButton()};
    for (int i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(dialog.rect().contains(controls[i]->geometry())) << i;
        for (int j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << j;
        }
    }
    for (QAbstractButton* button : {static_cast<QAbstractButton*>(dialog.gpsButton()),
                                    static_cast<QAbstractButton*>(dialog.networkButton())}) {
        EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
    }
    EXPECT_LE(picture->pixmap().width(), picture->width());
    EXPECT_LE(picture->pixmap().height(), picture->height());
}

TEST(FirstRunDialogTest, WelcomeTextIsExactReadOnlyAndScrollable) {
    FirstRunDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QPlainTextEdit* text = dialog.welcomeText();
    EXPECT_EQ(text->toPlainText(),
              QStringLiteral("Welcome to the Horalux configuration. Horalux has the ability to "
                             "synchronize the PC clock to a GPS receiver connected to your "
                             "computer or to a network time server. You can also modify these "
                             "parameters using the Horalux Property dialog. Please select the "
                             "synchronization option: "));
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_NE(text->frameShape(), QFrame::NoFrame);

    // Typing changes nothing.
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("xyz"));
    EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Welcome")));
    EXPECT_FALSE(text->toPlainText().contains(QStringLiteral("xyz")));

    // It is longer than the box and scrolls.
    QScrollBar* bar = text->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(FirstRunDialogTest, PresetChoiceIsShown) {
    FirstRunDialog dialog;
    EXPECT_FALSE(dialog.gpsButton()->isChecked());
    EXPECT_FALSE(dialog.networkButton()->isChecked());
    dialog.setChoice(FirstRunDialog::kChoiceGps);
    EXPECT_TRUE(dialog.gpsButton()->isChecked());
    EXPECT_FALSE(dialog.networkButton()->isChecked());
    dialog.setChoice(FirstRunDialog::kChoiceNetwork);
    EXPECT_FALSE(dialog.gpsButton()->isChecked());
    EXPECT_TRUE(dialog.networkButton()->isChecked());
    // Out of range: neither, and nothing breaks.
    dialog.setChoice(7);
    EXPECT_FALSE(dialog.gpsButton()->isChecked());
    EXPECT_FALSE(dialog.networkButton()->isChecked());
    EXPECT_EQ(dialog.choice(), 7);
}

TEST(FirstRunDialogTest, OkReadsTheChoiceBack) {
    for (int preset : {0, 1}) {
        for (int picked : {0, 1}) {
            FirstRunDialog dialog;
            dialog.setChoice(preset);
            const int result = execWith(dialog, [&] {
                QTest::mouseClick(picked == 0 ? dialog.gpsButton() : dialog.networkButton(),
                                  Qt::LeftButton);
                QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
            });
            EXPECT_EQ(result, QDialog::Accepted);
            EXPECT_EQ(dialog.choice(), picked) << "preset " << preset;
        }
    }
}

TEST(FirstRunDialogTest, EnterPressesOk) {
    FirstRunDialog dialog;
    dialog.setChoice(FirstRunDialog::kChoiceNetwork);
    const int result = execWith(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Return); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog.choice(), FirstRunDialog::kChoiceNetwork);
}

TEST(FirstRunDialogTest, EscapeCancelsAndLeavesTheChoiceAlone) {
    FirstRunDialog dialog;
    dialog.setChoice(FirstRunDialog::kChoiceGps);
    const int result = execWith(dialog, [&] {
        QTest::mouseClick(dialog.networkButton(), Qt::LeftButton);
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.choice(), FirstRunDialog::kChoiceGps);
}

TEST(FirstRunDialogTest, HelpOpensTheDialogsOwnPage) {
    test::TempDir dir;
    FakeUrlOpener opener;
    FakeMessageService messages;
    HelpManual help(opener, messages, QString::fromStdString(dir.file("help")));
    FirstRunDialog dialog(&help);
    dialog.setChoice(0);
    const int result = execWith(dialog, [&] {
        QTest::mouseClick(dialog.helpButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible()) << "help does not end the dialog";
        dialog.reject();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(opener.urls.size(), 1u);
    EXPECT_EQ(opener.urls[0], "file://" + dir.file("help") + "/first-run.html");
    EXPECT_TRUE(std::filesystem::exists(dir.file("help") + "/first-run.html"));
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(FirstRunDialogTest, Screenshot) {
    FirstRunDialog dialog;
    dialog.setChoice(FirstRunDialog::kChoiceGps);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    std::filesystem::create_directories(test::buildDir() / "screenshots");
    EXPECT_TRUE(dialog.grab().save(
        QString::fromStdString((test::buildDir() / "screenshots" / "first-run.png").string())));
}

}  // namespace
}  // namespace horalux
