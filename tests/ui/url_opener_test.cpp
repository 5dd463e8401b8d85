// Opening URLs: the order of the handlers, how $BROWSER commands are built, and the results the
// callers turn into messages. The launcher is a fake, so nothing is started.
#include "platform/desktop_url_opener.h"

#include <gtest/gtest.h>

#include <QSet>
#include <map>
#include <vector>

namespace horalux {
namespace {

class FakeLauncher final : public UrlLauncher {
  public:
    bool openWithDesktop(const QUrl& url) override {
        desktopUrls.push_back(url);
        return desktopWorks;
    }
    QString findExecutable(const QString& program) override {
        if (program.startsWith(QLatin1Char('/'))) {
            return installed.contains(program) ? program : QString();
        }
        return installed.contains(program) ? QStringLiteral("/usr/bin/") + program : QString();
    }
    bool startDetached(const QString& program, const QStringList& arguments) override {
        started.push_back({program, arguments});
        return !broken.contains(program);
    }
    QString environment(const char* name) override { return env[name]; }

    struct Start {
        QString program;
        QStringList arguments;
    };
    bool desktopWorks = false;
    QSet<QString> installed;
    QSet<QString> broken;  // full paths that fail to start
    std::map<std::string, QString> env;
    std::vector<QUrl> desktopUrls;
    std::vector<Start> started;
};

class UrlOpenerTest : public ::testing::Test {
  protected:
    FakeLauncher launcher;
    DesktopUrlOpener opener{launcher};
};

TEST_F(UrlOpenerTest, DesktopServicesComeFirst) {
    launcher.desktopWorks = true;
    launcher.installed = {"xdg-open"};
    const UrlOpenResult result = opener.openUrl("https://example.org/a?b=c");
    EXPECT_TRUE(result.ok());
    EXPECT_GT(result.shellCode(), 32);
    ASSERT_EQ(launcher.desktopUrls.size(), 1u);
    EXPECT_EQ(launcher.desktopUrls[0], QUrl(QStringLiteral("https://example.org/a?b=c")));
    EXPECT_TRUE(launcher.started.empty());
}

TEST_F(UrlOpenerTest, ThenXdgOpenWithTheUrlAsItsOnlyArgument) {
    launcher.installed = {"xdg-open"};
    const UrlOpenResult result = opener.openUrl("mailto:time@example.org");
    EXPECT_TRUE(result.ok());
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, QStringLiteral("/usr/bin/xdg-open"));
    EXPECT_EQ(launcher.started[0].arguments, QStringList{"mailto:time@example.org"});
}

TEST_F(UrlOpenerTest, ThenEachBrowserCommandInTurn) {
    launcher.installed = {"xdg-open", "lynx", "/opt/web/browser"};
    launcher.broken = {"/usr/bin/xdg-open", "/usr/bin/lynx"};
    launcher.env["BROWSER"] =
        QStringLiteral("missing-browser:lynx -dump %s:/opt/web/browser --new");
    const UrlOpenResult result = opener.openUrl("http://example.org/");
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.detail, "/opt/web/browser");
    ASSERT_EQ(launcher.started.size(), 3u) << "xdg-open, lynx, then the last one";
    EXPECT_EQ(launcher.started[1].program, QStringLiteral("/usr/bin/lynx"));
    EXPECT_EQ(launcher.started[1].arguments, (QStringList{"-dump", "http://example.org/"}));
    EXPECT_EQ(launcher.started[2].arguments, (QStringList{"--new", "http://example.org/"}));
}

TEST_F(UrlOpenerTest, UrlsNeverPassThroughAShell) {
    // Characters a shell would act on stay inside the one argument, encoded where a URL must.
    launcher.installed = {"xdg-open"};
    EXPECT_TRUE(opener.openUrl("http://example.org/a;rm -rf ~/'$(x)'&b=`y`").ok());
    ASSERT_EQ(launcher.started.size(), 1u);
    ASSERT_EQ(launcher.started[0].arguments.size(), 1);
    const QString argument = launcher.started[0].arguments[0];
    EXPECT_TRUE(argument.startsWith(QStringLiteral("http://example.org/a;rm")));
    EXPECT_FALSE(argument.contains(QLatin1Char(' ')));
    EXPECT_FALSE(argument.contains(QLatin1Char('`')));
}

TEST(BrowserCommandTest, PlaceholdersAndQuoting) {
    const QString url = QStringLiteral("http://h/p%20q");
    EXPECT_EQ(DesktopUrlOpener::browserCommand(QStringLiteral("firefox"), url),
              (QStringList{"firefox", url}));
    EXPECT_EQ(DesktopUrlOpener::browserCommand(QStringLiteral("w3m -o \"a b\" %s"), url),
              (QStringList{"w3m", "-o", "a b", url}));
    EXPECT_EQ(DesktopUrlOpener::browserCommand(QStringLiteral("b --url=%s --pct=100%%"), url),
              (QStringList{"b", "--url=" + url, "--pct=100%"}));
    // The URL's own percent signs are not read as placeholders.
    EXPECT_EQ(DesktopUrlOpener::browserCommand(QStringLiteral("b %s %s"), QStringLiteral("%s")),
              (QStringList{"b", "%s", "%s"}));
    EXPECT_TRUE(DesktopUrlOpener::browserCommand(QStringLiteral("   "), url).isEmpty());
}

TEST_F(UrlOpenerTest, NoHandlerAtAll) {
    const UrlOpenResult result = opener.openUrl("http://example.org/");
    EXPECT_EQ(result.status, UrlOpenStatus::NoHandler);
    EXPECT_EQ(result.shellCode(), 31);
    EXPECT_TRUE(launcher.started.empty());
    // An empty or blank $BROWSER is no handler either.
    launcher.env["BROWSER"] = QStringLiteral("::");
    EXPECT_EQ(opener.openUrl("http://example.org/").status, UrlOpenStatus::NoHandler);
}

TEST_F(UrlOpenerTest, HandlersThatFailToStart) {
    launcher.installed = {"xdg-open"};
    launcher.broken = {"/usr/bin/xdg-open"};
    launcher.env["BROWSER"] = QStringLiteral("not-installed");
    const UrlOpenResult result = opener.openUrl("http://example.org/");
    EXPECT_EQ(result.status, UrlOpenStatus::LaunchFailed);
    EXPECT_EQ(result.shellCode(), 27);
    EXPECT_NE(result.detail.find("xdg-open"), std::string::npos);
    EXPECT_NE(result.detail.find("not-installed"), std::string::npos);
}

TEST_F(UrlOpenerTest, TextThatIsNoUrlIsRefusedBeforeAnythingStarts) {
    launcher.desktopWorks = true;
    launcher.installed = {"xdg-open"};
    for (const char* text : {"", "   ", "no url here", "--help", "-e evil", "http://[::1"}) {
        const UrlOpenResult result = opener.openUrl(text);
        EXPECT_EQ(result.status, UrlOpenStatus::InvalidUrl) << text;
        EXPECT_EQ(result.shellCode(), 2) << text;
    }
    EXPECT_TRUE(launcher.desktopUrls.empty());
    EXPECT_TRUE(launcher.started.empty());
}

TEST_F(UrlOpenerTest, AbsolutePathsBecomeFileUrls) {
    launcher.desktopWorks = true;
    EXPECT_TRUE(opener.openUrl("/run/user/1000/horalux-help/index.html").ok());
    ASSERT_EQ(launcher.desktopUrls.size(), 1u);
    EXPECT_EQ(launcher.desktopUrls[0],
              QUrl::fromLocalFile(QStringLiteral("/run/user/1000/horalux-help/index.html")));
}

}  // namespace
}  // namespace horalux
