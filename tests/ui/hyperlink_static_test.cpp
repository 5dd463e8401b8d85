// The hyperlink control on a page: attached as a link, hover and visited colours on the screen,
// opening by mouse, keyboard and screen reader, and the message when the target does not open.
#include "ui/hyperlink_static.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QEnterEvent>
#include <QImage>
#include <QTest>

#include "platform/fake_message_service.h"
#include "platform/fake_url_opener.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

// Whether the picture of the control has a pixel of exactly this colour (the underline has).
bool drawnIn(QWidget& widget, const QColor& colour) {
    const QImage image = widget.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

class HyperlinkStaticTest : public ::testing::Test {
  protected:
    void SetUp() override {
        page.resize(300, 100);
        link = new HyperlinkStatic(urls, messages, QStringLiteral("Home"), &page);
        link->setGeometry(20, 30, 200, 20);
        link->Attach();
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    FakeUrlOpener urls;
    FakeMessageService messages;
    QWidget page;
    HyperlinkStatic* link = nullptr;
};

TEST_F(HyperlinkStaticTest, AnUnderlinedLinkThatFitsItsTextAndFollowsTheMouse) {
    EXPECT_EQ(link->target(), QStringLiteral("Home"));
    EXPECT_EQ(link->toolTip(), QStringLiteral("Home"));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(link->font().underline());
    const QSize text = link->fontMetrics().size(Qt::TextSingleLine, QStringLiteral("Home"));
    EXPECT_EQ(link->geometry(), QRect(QPoint(20, 30), text)) << "left-aligned: left edge kept";
    EXPECT_EQ(link->textColour(), QColor(0, 0, 238));
    EXPECT_TRUE(drawnIn(*link, QColor(0, 0, 238)));

    // The mouse in and out switches to the highlight colour and back at once.
    const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    QEnterEvent enter(QPointF(2, 2), QPointF(22, 32), link->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(link, &enter);
    EXPECT_TRUE(link->hovering());
    EXPECT_EQ(link->textColour(), highlight);
    EXPECT_TRUE(drawnIn(*link, highlight));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_FALSE(link->hovering());
    EXPECT_EQ(link->textColour(), QColor(0, 0, 238));

    link->SetTarget(QStringLiteral("https://example.org/"));
    EXPECT_EQ(link->toolTip(), QStringLiteral("https://example.org/"));
    EXPECT_EQ(link->text(), QStringLiteral("Home")) << "the text stays as the page gave it";

    // An empty control shows its target.
    auto* bare = new HyperlinkStatic(urls, messages, QString(), &page);
    bare->SetTarget(QStringLiteral("mailto:a@example.org"));
    bare->setGeometry(20, 60, 10, 20);
    bare->Attach();
    EXPECT_EQ(bare->text(), QStringLiteral("mailto:a@example.org"));
    EXPECT_GT(bare->width(), 10);
}

TEST_F(HyperlinkStaticTest, OpensByMouseKeyboardAndScreenReader) {
    link->SetTarget(QStringLiteral("https://example.org/"));
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(urls.urls, std::vector<std::string>{"https://example.org/"});
    EXPECT_TRUE(link->visited());
    EXPECT_EQ(link->textColour(), QColor(85, 26, 139));
    EXPECT_TRUE(drawnIn(*link, QColor(85, 26, 139)));
    EXPECT_TRUE(messages.beeps().empty());

    // A press that ends outside is no click; the right button opens nothing.
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(3, 300));
    QTest::mouseClick(link, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(urls.urls.size(), 1u);

    link->setFocus();
    ASSERT_TRUE(test::waitFor([&] { return link->hasFocus(); }, 2000));
    QTest::keyClick(link, Qt::Key_Space);
    QTest::keyClick(link, Qt::Key_Return);
    EXPECT_EQ(urls.urls.size(), 3u);

    QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(link);
    ASSERT_NE(a11y, nullptr);
    EXPECT_EQ(a11y->role(), QAccessible::Link);
    EXPECT_EQ(a11y->text(QAccessible::Name), QStringLiteral("Home"));
    EXPECT_EQ(a11y->text(QAccessible::Description), QStringLiteral("https://example.org/"));
    EXPECT_TRUE(a11y->state().traversed) << "a screen reader hears it as visited";
    EXPECT_TRUE(a11y->state().focusable);
    QAccessibleActionInterface* actions = a11y->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(test::waitFor([&] { return urls.urls.size() == 4u; }, 2000));
}

TEST_F(HyperlinkStaticTest, AFailedOpenBeepsAndSaysWhyAndStaysUnvisited) {
    urls.answer = {UrlOpenStatus::LaunchFailed, "\"b\" did not start", UrlOpenCause::AccessDenied};
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(link->visited());
    EXPECT_EQ(messages.beeps(), std::vector<unsigned>{48});
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text,
              "Unable to open hyperlink:\n\nThe operating system denied\naccess to the specified "
              "file.");
    EXPECT_EQ(messages.boxes()[0].style, unsigned{kIconExclamation});

    urls.answer = {UrlOpenStatus::NoHandler, "none"};
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(messages.boxes().size(), 2u);
    EXPECT_EQ(messages.boxes()[1].text,
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
              "filename extension.");
    EXPECT_EQ(link->textColour(), QColor(0, 0, 238));
}

}  // namespace
}  // namespace horalux
