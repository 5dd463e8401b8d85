// "About Horalux": the artwork with its tip, the version, and the maker's two links.
#include "pages/horalux_property_page5.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "app/project_info.h"
#include "page_fixture.h"
#include "resources/horalux_resources.h"
#include "ui/hyperlink_static.h"

namespace horalux {
namespace {

using Page = CHoraluxPropertyPage5;

TEST(AboutPageTest, ArtworkVersionAndTheMakersLinks) {
    test::PageFixture f;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));

    auto* picture = page.Control<QLabel>(Page::kPicture);
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().size(), resourceBitmap(112).size());
    EXPECT_EQ(picture->accessibleDescription(), QStringLiteral("Horalux")) << "its bubble tip";
    EXPECT_TRUE(f.sheet.bubbleTip().logic().isTool(picture));

    bool versionShown = false;
    for (const QLabel* label : page.findChildren<QLabel*>()) {
        versionShown |= label->text() == QStringLiteral("Horalux Version 3.50 Build 4");
    }
    EXPECT_TRUE(versionShown);

    auto* web = page.Control<HyperlinkStatic>(Page::kWebLink);
    auto* mail = page.Control<HyperlinkStatic>(Page::kMailLink);
    ASSERT_NE(web, nullptr);
    ASSERT_NE(mail, nullptr);
    // The addresses are the build's own; the page shows the site without its scheme.
    EXPECT_EQ(web->target(), QString::fromUtf8(project::kWebSite));
    EXPECT_FALSE(web->text().startsWith(QStringLiteral("http")));
    EXPECT_FALSE(web->text().endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QString::fromUtf8(project::kWebSite).contains(web->text()));
    EXPECT_EQ(mail->text(), QString::fromUtf8(project::kMailAddress));
    EXPECT_EQ(mail->target(), QStringLiteral("mailto:") + QString::fromUtf8(project::kMailAddress));
    EXPECT_EQ(mail->toolTip(), mail->target());
    EXPECT_EQ(web->height(), web->fontMetrics().height()) << "fitted to its text";
    f.Screenshot("page-about-horalux");

    QTest::mouseClick(web, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::keyClick(mail, Qt::Key_Return);
    EXPECT_EQ(f.urls.urls, (std::vector<std::string>{
                               project::kWebSite, "mailto:" + std::string(project::kMailAddress)}));
    EXPECT_TRUE(web->visited());
}

}  // namespace
}  // namespace horalux
