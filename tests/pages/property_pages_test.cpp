// The sheet the program fills: its tabs in order, each page built on its first showing and only
// shown again afterwards, every field named by its label, every control reached by Tab.
#include "pages/property_pages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <set>

#include "page_fixture.h"
#include "ui/hyperlink_static.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

const QStringList kTabs = {"Time",         "GPS Signal Quality",  "Update PC Clock",
                           "Position",     "GPS Configuration",   "About Horalux",
                           "Network Time", "System Configuration"};

QStringList captions(const QTabWidget& sheet) {
    QStringList out;
    for (int i = 0; i < sheet.count(); ++i) {
        out << sheet.tabText(i);
    }
    return out;
}

// The controls a user works with: fields, lists, buttons, links.
bool interactive(const QWidget* w) {
    // The edit field of an editable list is the list's part: named and reached with it.
    if (qobject_cast<const QComboBox*>(w->parentWidget()) != nullptr) {
        return false;
    }
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QListWidget*>(w) ||
           qobject_cast<const HyperlinkStatic*>(w);
}

TEST(PropertyPagesTest, TabsInTheSheetsOrderEachPageBuiltOnce) {
    test::PageFixture f;
    AddPropertyPages(f.sheet, f.services());
    const QStringList present = captions(f.sheet);
    EXPECT_EQ(present, kTabs);
    EXPECT_EQ(f.sheet.currentIndex(), 0);

    // Nothing is built before its tab is shown; each is built once and keeps its controls.
    std::vector<PropertyPage*> pages;
    for (int i = 0; i < f.sheet.count(); ++i) {
        pages.push_back(qobject_cast<PropertyPage*>(f.sheet.page(i)));
        ASSERT_NE(pages.back(), nullptr) << present[i].toStdString();
        EXPECT_FALSE(pages.back()->created());
        EXPECT_EQ(pages.back()->caption(), present[i]);
    }
    f.sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.sheet));
    std::vector<QList<QWidget*>> controls;
    for (int i = 0; i < f.sheet.count(); ++i) {
        f.sheet.setCurrentIndex(i);
        EXPECT_TRUE(pages[i]->created()) << present[i].toStdString();
        controls.push_back(pages[i]->findChildren<QWidget*>());
        f.Screenshot("sheet-" + present[i].toLower().replace(' ', '-').toStdString());
    }
    f.sheet.hide();
    f.sheet.show();
    for (int i = 0; i < f.sheet.count(); ++i) {
        f.sheet.setCurrentIndex(i);
        EXPECT_EQ(f.sheet.page(i), pages[i]);
        EXPECT_EQ(pages[i]->findChildren<QWidget*>(), controls[i]) << "shown again, not rebuilt";
    }
}

TEST(PropertyPagesTest, EveryPageIsNamedForScreenReadersAndWorkedByKeyboard) {
    test::PageFixture f;
    f.flags.timeLocked = 1;  // the update buttons enabled
    AddPropertyPages(f.sheet, f.services());
    f.sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.sheet));
    for (int i = 0; i < f.sheet.count(); ++i) {
        f.sheet.setCurrentIndex(i);
        auto* page = qobject_cast<PropertyPage*>(f.sheet.page(i));
        const std::string name = f.sheet.tabText(i).toStdString();
        page->FireTimer(1);  // the buttons follow the flags
        page->FireTimer(1000);

        // Every field has a name: its label as buddy, or a name of its own. One-line labels
        // show their whole text.
        std::set<const QWidget*> named;
        for (const QLabel* label : page->findChildren<QLabel*>()) {
            named.insert(label->buddy());
            const bool fixedText = label->objectName().isEmpty();  // not a field of the page's
            if (fixedText && label->isVisible() && !label->wordWrap() && !label->text().isEmpty()) {
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << name << ": \"" << label->text().toStdString() << "\" is cut off";
            }
        }
        std::set<QWidget*> wanted;
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!interactive(w) || !w->isVisible() || !w->isEnabled()) {
                continue;
            }
            wanted.insert(w);
            if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                qobject_cast<QListWidget*>(w)) {
                EXPECT_TRUE(named.count(w) || !w->accessibleName().isEmpty())
                    << name << ": " << w->objectName().toStdString() << " has no label";
            }
        }

        // Tab from the tab bar reaches every control of the page.
        f.sheet.tabBar()->setFocus();
        ASSERT_TRUE(test::waitFor([&] { return f.sheet.tabBar()->hasFocus(); }, 2000)) << name;
        std::set<QWidget*> reached;
        for (size_t n = 0; n <= 2 * wanted.size() + 2; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.insert(QApplication::focusWidget());
        }
        // Tab enters a group of radio buttons at its checked button; the arrow keys move within.
        const auto reachedOrInGroup = [&](QWidget* w) {
            const auto* radio = qobject_cast<QRadioButton*>(w);
            if (radio == nullptr || radio->group() == nullptr) {
                return reached.count(w) > 0;
            }
            const QList<QAbstractButton*> group = radio->group()->buttons();
            return std::any_of(group.begin(), group.end(),
                               [&](QAbstractButton* b) { return reached.count(b) > 0; });
        };
        for (QWidget* w : wanted) {
            EXPECT_TRUE(reachedOrInGroup(w))
                << name << ": " << w->objectName().toStdString() << " is not reached by Tab";
        }
    }
}

}  // namespace
}  // namespace horalux
