// The help manual: the pages are complete, written out where a browser can read them, and opened
// by page or help context; failures reach the user as a message.
#include "ui/help_manual.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "platform/fake_message_service.h"
#include "platform/fake_url_opener.h"
#include "resources/horalux_resources.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

class HelpManualTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    QString folder = QString::fromStdString(dir.file("help"));
    FakeUrlOpener opener;
    FakeMessageService messages;
    HelpManual help{opener, messages, folder};
};

TEST_F(HelpManualTest, ContextsMapToPages) {
    EXPECT_EQ(HelpManual::pageForContext(0x2008F), QStringLiteral("first-run.html"));
    EXPECT_EQ(HelpManual::pageForContext(HelpManual::kFirstRunContext),
              QStringLiteral("first-run.html"));
    EXPECT_EQ(HelpManual::pageForContext(0), QStringLiteral("index.html"));
    EXPECT_EQ(HelpManual::pageForContext(0x20068), QStringLiteral("index.html"));
}

TEST_F(HelpManualTest, ExtractsEveryPagePrivately) {
    QString error;
    const auto written = help.extract(&error);
    ASSERT_TRUE(written) << error.toStdString();
    EXPECT_EQ(*written, folder);
    for (const char* name : {"index.html", "overview.html", "first-run.html", "tray-menu.html",
                             "desktop-clock.html", "properties.html", "troubleshooting.html",
                             "style.css", "109.png", "138.png", "140.png", "141.png", "112.png"}) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(name));
        ASSERT_TRUE(QFileInfo::exists(path)) << name;
        QFile page(path);
        QFile resource(QStringLiteral(":/help/") + QString::fromLatin1(name));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
        EXPECT_EQ(page.readAll(), resource.readAll()) << name;
    }
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions())
        << "the folder is the user's alone";
}

TEST_F(HelpManualTest, EveryLinkInTheManualLeadsSomewhere) {
    ASSERT_TRUE(help.extract());
    const QRegularExpression link(QStringLiteral(R"re((?:href|src)="([^"#:]+)")re"));
    int links = 0;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.html")})) {
        QFile page(QDir(folder).filePath(name));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << name.toStdString();
        auto it = link.globalMatch(html);
        while (it.hasNext()) {
            const QString target = it.next().captured(1);
            ++links;
            EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath(target)))
                << name.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_GT(links, 30);
}

TEST_F(HelpManualTest, IndexAndContextOpenTheirPages) {
    EXPECT_TRUE(help.showIndex());
    EXPECT_TRUE(help.showContext(HelpManual::kFirstRunContext));
    ASSERT_EQ(opener.urls.size(), 2u);
    EXPECT_EQ(QUrl(QString::fromStdString(opener.urls[0])).toLocalFile(),
              QDir(folder).filePath(QStringLiteral("index.html")));
    EXPECT_EQ(QUrl(QString::fromStdString(opener.urls[1])).toLocalFile(),
              QDir(folder).filePath(QStringLiteral("first-run.html")));
    EXPECT_TRUE(messages.boxes().empty());
}

TEST_F(HelpManualTest, AMissingPageIsWrittenAgainAndAnUnknownOneFallsBackToTheIndex) {
    ASSERT_TRUE(help.showIndex());
    QFile::remove(QDir(folder).filePath(QStringLiteral("first-run.html")));
    EXPECT_TRUE(help.showContext(HelpManual::kFirstRunContext));
    EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("first-run.html"))));
    EXPECT_TRUE(help.showPage(QStringLiteral("no-such-page.html")));
    EXPECT_EQ(QUrl(QString::fromStdString(opener.urls.back())).fileName(),
              QStringLiteral("index.html"));
}

TEST_F(HelpManualTest, BrowserFailuresAreReported) {
    opener.answer = {UrlOpenStatus::NoHandler, "none"};
    EXPECT_FALSE(help.showIndex());
    opener.answer = {UrlOpenStatus::LaunchFailed, "\"mybrowser\" did not start"};
    EXPECT_FALSE(help.showIndex());
    const auto boxes = messages.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.text.rfind("Unable to open the help:\n\n", 0), 0u) << box.text;
        EXPECT_EQ(box.style, kIconExclamation);
    }
    EXPECT_NE(boxes[0].text.find("BROWSER"), std::string::npos);
    EXPECT_NE(boxes[1].text.find("mybrowser"), std::string::npos);
}

TEST_F(HelpManualTest, AnUnwritableFolderIsReportedAndNothingOpens) {
    // A file stands where the folder should be.
    std::ofstream(dir.file("blocked")) << "x";
    HelpManual blocked(opener, messages, QString::fromStdString(dir.file("blocked") + "/help"));
    EXPECT_FALSE(blocked.showIndex());
    EXPECT_TRUE(opener.urls.empty());
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_NE(messages.boxes()[0].text.find("blocked"), std::string::npos);
}

TEST_F(HelpManualTest, AnInstalledCopyIsOpenedWhereItIsAndAnIncompleteOneIsPassedOver) {
    const QString installed = QString::fromStdString(dir.file("share/horalux/help"));
    QDir().mkpath(installed);
    HelpManual incomplete(opener, messages, folder, installed);
    EXPECT_TRUE(incomplete.showContext(HelpManual::kFirstRunContext));
    EXPECT_EQ(QUrl(QString::fromStdString(opener.urls.back())).toLocalFile(),
              QDir(folder).filePath(QStringLiteral("first-run.html")));

    std::ofstream(dir.file("share/horalux/help/index.html")) << "<title>x</title>";
    std::ofstream(dir.file("share/horalux/help/first-run.html")) << "<title>y</title>";
    QDir(folder).removeRecursively();
    HelpManual packaged(opener, messages, folder, installed);
    EXPECT_TRUE(packaged.showContext(HelpManual::kFirstRunContext));
    EXPECT_EQ(QUrl(QString::fromStdString(opener.urls.back())).toLocalFile(),
              QDir(installed).filePath(QStringLiteral("first-run.html")));
    EXPECT_FALSE(QFileInfo::exists(folder)) << "nothing written out";
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(HelpManualFolderTest, DefaultsToThePrivateRuntimeFolder) {
    // The test main gives every test process its own XDG_RUNTIME_DIR.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    EXPECT_EQ(HelpManual::defaultFolder(), runtime + QStringLiteral("/horalux-help"));
}

TEST(ResourcesTest, IconsAndArtworkByNumber) {
    initResources();
    for (int id : {109, 138, 140, 141}) {
        for (int size : {16, 22, 24, 32, 48, 64}) {
            const QString path = iconPath(id, size);
            EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
        }
        EXPECT_EQ(iconPath(id), QStringLiteral(":/icons/%1.png").arg(id));
        EXPECT_TRUE(QFile::exists(iconPath(id)));
    }
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/bitmaps/112.png")));
    EXPECT_FALSE(QFile::exists(iconPath(110)));
}

}  // namespace
}  // namespace horalux
