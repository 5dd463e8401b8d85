// Message boxes on the desktop: text, caption, icon and the one OK button, questions with Yes and
// No; boxes asked for by a worker thread are shown by the UI thread without holding the worker
// up.
#include "platform/qt_message_service.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "ui/wait_for.h"

namespace horalux {
namespace {

struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// Closes the next message box with its `button` (OK by default), recording what it showed.
// Bounded: gives up after ten seconds.
void closeNextBox(SeenBox& seen, bool& closed,
                  QMessageBox::StandardButton button = QMessageBox::Ok) {
    auto* poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, started, &seen, &closed, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            seen = {box->text(), box->windowTitle(), box->icon(),
                    static_cast<int>(box->buttons().size())};
            box->button(button)->click();
            closed = true;
        }
        if (box != nullptr || started->elapsed() > 10000) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

TEST(QtMessageServiceTest, ShowsTheTextCaptionAndIconWithOneOkButton) {
    QtMessageService service;
    const struct {
        unsigned style;
        QMessageBox::Icon icon;
    } cases[] = {
        {kIconStop, QMessageBox::Critical},
        {kIconExclamation, QMessageBox::Warning},
        {kIconInformation, QMessageBox::Information},
        {kMessageOk, QMessageBox::NoIcon},
    };
    for (const auto& c : cases) {
        SeenBox seen;
        bool closed = false;
        closeNextBox(seen, closed);
        service.messageBox("Unable to open hyperlink:\n\nThe specified file was not found.",
                           "Horalux", c.style);
        ASSERT_TRUE(closed) << c.style;
        EXPECT_EQ(seen.text,
                  QStringLiteral("Unable to open hyperlink:\n\nThe specified file was not found."));
        EXPECT_EQ(seen.caption, QStringLiteral("Horalux"));
        EXPECT_EQ(seen.icon, c.icon) << c.style;
        EXPECT_EQ(seen.buttons, 1);
    }
}

TEST(QtMessageServiceTest, AnEmptyCaptionIsTheApplicationsName) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Horalux"));
    EXPECT_EQ(QtMessageService::defaultCaption(), QStringLiteral("Horalux"));
    QtMessageService service;
    SeenBox seen;
    bool closed = false;
    closeNextBox(seen, closed);
    service.messageBox("Windows sockets initialization failed.", "", kMessageOk);
    ASSERT_TRUE(closed);
    EXPECT_EQ(seen.caption, QStringLiteral("Horalux"));
}

TEST(QtMessageServiceTest, ABoxFromAnotherThreadIsShownByTheUiThreadWithoutBlocking) {
    QtMessageService service;
    SeenBox seen;
    bool closed = false;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        service.messageBox("from a worker", "Horalux", kIconStop);
        returned = true;
    });
    worker.join();  // the call came back without anyone closing a box
    EXPECT_TRUE(returned);
    closeNextBox(seen, closed);
    ASSERT_TRUE(test::waitFor([&] { return closed; }, 10000));
    EXPECT_EQ(seen.text, QStringLiteral("from a worker"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(QtMessageServiceTest, AQuestionHasYesAndNoAndReturnsTheAnswer) {
    QtMessageService service;
    for (const bool yes : {true, false}) {
        SeenBox seen;
        bool closed = false;
        closeNextBox(seen, closed, yes ? QMessageBox::Yes : QMessageBox::No);
        EXPECT_EQ(service.askYesNo("Add it?", "Horalux", kIconExclamation), yes);
        ASSERT_TRUE(closed);
        EXPECT_EQ(seen.text, QStringLiteral("Add it?"));
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(seen.buttons, 2);
    }

    // A worker cannot wait for an answer: it gets No at once, and the text is still shown.
    bool answer = true;
    std::thread worker([&] { answer = service.askYesNo("from a worker", "", kIconExclamation); });
    worker.join();
    EXPECT_FALSE(answer);
    SeenBox seen;
    bool closed = false;
    closeNextBox(seen, closed);
    ASSERT_TRUE(test::waitFor([&] { return closed; }, 10000));
    EXPECT_EQ(seen.text, QStringLiteral("from a worker"));
}

TEST(QtMessageServiceTest, BeepFromAnyThreadIsHarmless) {
    QtMessageService service;
    service.beep(0);
    std::thread worker([&] { service.beep(kIconExclamation); });
    worker.join();
    QTest::qWait(10);
}

}  // namespace
}  // namespace horalux
