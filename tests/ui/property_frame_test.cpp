// The properties window: its frame and sheet, the page order, hiding on close, and the holder
// that creates it once.
#include "ui/horalux_property_frame.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <filesystem>
#include <stdexcept>

#include "app/settings_keys.h"
#include "platform/memory_settings_store.h"
#include "support/test_dirs.h"
#include "ui/properties_window_holder.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

const QStringList kTabs = {"Time",         "GPS Signal Quality",  "Update PC Clock",
                           "Position",     "GPS Configuration",   "About Horalux",
                           "Network Time", "System Configuration"};

TEST(PropertyFrameTest, EmptyFrameIsCaptionedAndSizedForAStandardPage) {
    MemorySettingsStore store;
    CHoraluxPropertyFrame frame(store);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Horalux Properties"));
    EXPECT_TRUE(frame.isWindow());
    EXPECT_FALSE(frame.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frame.sheet()->count(), 0);

    // 350 x 130 dialog units are 525 x 211 pixels; the empty sheet holds that much and a row of
    // tabs, and the frame holds the sheet.
    const QSize sheet = frame.sheet()->size();
    EXPECT_GE(sheet.width(), 525);
    EXPECT_GE(sheet.height(), 211 + 15);
    EXPECT_LE(sheet.width(), 525 + 60) << "not a stretched window either";
    EXPECT_TRUE(frame.rect().contains(frame.sheet()->geometry()));
    EXPECT_LE(frame.width() - sheet.width(), 30);

    std::filesystem::create_directories(test::buildDir() / "screenshots");
    EXPECT_TRUE(frame.grab().save(QString::fromStdString(
        (test::buildDir() / "screenshots" / "properties-empty.png").string())));
}

TEST(PropertyFrameTest, PagesJoinInTabOrderAndTheFrameFollowsTheSheet) {
    MemorySettingsStore store;
    CHoraluxPropertyFrame frame(store);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    const QSize emptySize = frame.size();
    QList<QWidget*> pages;
    for (const QString& caption : kTabs) {
        auto* page = new QLabel(caption);
        pages << page;
        EXPECT_EQ(frame.sheet()->addPage(page, caption), pages.size() - 1);
    }
    ASSERT_EQ(frame.sheet()->count(), kTabs.size());
    for (int i = 0; i < kTabs.size(); ++i) {
        EXPECT_EQ(frame.sheet()->tabText(i), kTabs[i]);
        EXPECT_EQ(frame.sheet()->page(i), pages[i]);
        EXPECT_GE(pages[i]->minimumWidth(), 525);
        EXPECT_GE(pages[i]->minimumHeight(), 211);
    }
    EXPECT_EQ(frame.sheet()->currentIndex(), 0) << "the first page is selected";
    // Every caption shows in the one row of tabs, none scrolled out of sight.
    EXPECT_TRUE(test::waitFor(
        [&] { return frame.sheet()->width() >= frame.sheet()->sizeHint().width(); }, 3000));
    const QTabBar* tabs = frame.sheet()->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << kTabs[i].toStdString();
    }

    // A page larger than the standard one grows the sheet, and the frame grows with it.
    auto* big = new QLabel(QStringLiteral("big"));
    big->setMinimumSize(700, 300);
    frame.sheet()->addPage(big, QStringLiteral("Extra"));
    EXPECT_TRUE(test::waitFor(
        [&] { return frame.width() > emptySize.width() && frame.height() > emptySize.height(); },
        3000));
    EXPECT_TRUE(frame.rect().contains(frame.sheet()->geometry()));
    EXPECT_GE(frame.sheet()->width(), 700);
}

TEST(PropertyFrameTest, BubbleTipFollowsTheStoredSetting) {
    MemorySettingsStore store;
    {
        CHoraluxPropertyFrame frame(store);
        EXPECT_TRUE(frame.sheet()->bubbleTip().isEnabled()) << "on by default";
    }
    store.write(keys::EnableBubbleTip, 0);
    {
        CHoraluxPropertyFrame frame(store);
        EXPECT_FALSE(frame.sheet()->bubbleTip().isEnabled());
    }
    store.write(keys::EnableBubbleTip, 1);
    CHoraluxPropertyFrame frame(store);
    EXPECT_TRUE(frame.sheet()->bubbleTip().isEnabled());
}

TEST(PropertyFrameTest, ClosingOnlyHides) {
    MemorySettingsStore store;
    CHoraluxPropertyFrame frame(store);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QPointer<CHoraluxPropertySheet> sheet = frame.sheet();
    EXPECT_FALSE(frame.close()) << "the close is refused";
    EXPECT_FALSE(frame.isVisible());
    EXPECT_NE(sheet, nullptr);
    frame.show();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.sheet(), sheet);
}

TEST(PropertiesWindowHolderTest, CreatesOnceCentredAndShowsTheSameWindowAgain) {
    MemorySettingsStore store;
    int built = 0;
    PropertiesWindowHolder holder(store, [&](CHoraluxPropertySheet& sheet) {
        ++built;
        sheet.addPage(new QLabel(QStringLiteral("time")), QStringLiteral("Time"));
        sheet.addPage(new QLabel(QStringLiteral("gps")), QStringLiteral("GPS Signal Quality"));
    });
    EXPECT_EQ(holder.frame(), nullptr);

    CHoraluxPropertyFrame* first = holder.open();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(built, 1);
    EXPECT_EQ(first->sheet()->count(), 2);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offCentre = first->geometry().center() - screen.center();
    // Centred, give or take the window frame that the window system adds around it.
    EXPECT_LE(std::abs(offCentre.x()), 4);
    EXPECT_LE(std::abs(offCentre.y()), 4);

    // The user switches tabs and closes the window; opening it again shows the same one, in the
    // same state, at the same place.
    first->sheet()->setCurrentIndex(1);
    const QPoint place = first->pos();
    first->close();
    EXPECT_FALSE(first->isVisible());
    CHoraluxPropertyFrame* second = holder.open();
    EXPECT_EQ(second, first);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->sheet()->currentIndex(), 1);
    EXPECT_EQ(second->pos(), place);
    EXPECT_EQ(built, 1);
    // Opening while shown just brings it forward.
    EXPECT_EQ(holder.open(), first);
    EXPECT_EQ(built, 1);
    EXPECT_TRUE(QTest::qWaitForWindowActive(first));
    // A minimised window comes back.
    first->showMinimized();
    ASSERT_TRUE(test::waitFor([&] { return first->isMinimized(); }, 3000));
    EXPECT_EQ(holder.open(), first);
    EXPECT_TRUE(test::waitFor([&] { return !first->isMinimized(); }, 3000));
}

TEST(PropertiesWindowHolderTest, AFailedCreationShowsNothingAndIsTriedAgain) {
    MemorySettingsStore store;
    int attempts = 0;
    PropertiesWindowHolder holder(store, [&](CHoraluxPropertySheet&) {
        if (++attempts == 1) {
            throw std::runtime_error("page failed");
        }
    });
    EXPECT_EQ(holder.open(), nullptr);
    EXPECT_EQ(holder.frame(), nullptr);
    EXPECT_NE(holder.open(), nullptr);
    EXPECT_EQ(attempts, 2);
}

TEST(PropertiesWindowHolderTest, WindowOwnedByAParentIsNotDeletedTwice) {
    MemorySettingsStore store;
    auto parent = std::make_unique<QWidget>();
    auto holder = std::make_unique<PropertiesWindowHolder>(store, nullptr, parent.get());
    QPointer<CHoraluxPropertyFrame> frame = holder->open();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isWindow()) << "a window of its own, not a child of the main frame";
    parent.reset();  // the main frame goes first
    EXPECT_EQ(frame, nullptr);
    holder.reset();  // and the holder after it: nothing left to delete
}

}  // namespace
}  // namespace horalux
