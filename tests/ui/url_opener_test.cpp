// Opening URLs: the order of the handlers, how $BROWSER commands are built, why a launch failed
// and the code each failure maps to. The launcher is a fake, so nothing is started; the real
// launcher's diagnosis reads files made here.
#include "platform/desktop_url_opener.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QProcess>
#include <QSet>
#include <fstream>
#include <map>
#include <vector>

#include "support/test_dirs.h"

namespace horalux {
namespace {

class FakeLauncher final : public UrlLauncher {
  public:
    bool openWithDesktop(const QUrl& url) override {
        desktopUrls.push_back(url);
        return desktopWorks;
    }
    QString findExecutable(const QString& program) override {
        return installed.contains(program) ? QStringLiteral("/usr/bin/") + program : QString();
    }
    StartResult startDetached(const QString& program, const QStringList& arguments) override {
        started.push_back({program, arguments});
        const auto failure = failures.find(program);
        return failure != failures.end() ? failure->second : StartResult::Started;
    }
    QString environment(const char* name) override { return env[name]; }

    struct Start {
        QString program;
        QStringList arguments;
    };
    bool desktopWorks = false;
    QSet<QString> installed;                  // names findExecutable finds
    std::map<QString, StartResult> failures;  // programs that do not start, and why
    std::map<std::string, QString> env;
    std::vector<QUrl> desktopUrls;
    std::vector<Start> started;
};

class UrlOpenerTest : public ::testing::Test {
  protected:
    FakeLauncher launcher;
    DesktopUrlOpener opener{launcher};
};

TEST_F(UrlOpenerTest, DesktopServicesThenXdgOpenThenEachBrowserCommand) {
    launcher.desktopWorks = true;
    launcher.installed = {"xdg-open"};
    UrlOpenResult result = opener.openUrl("https://example.org/a?b=c");
    EXPECT_TRUE(result.ok());
    EXPECT_GT(result.shellCode(), 32);
    ASSERT_EQ(launcher.desktopUrls.size(), 1u);
    EXPECT_EQ(launcher.desktopUrls[0], QUrl(QStringLiteral("https://example.org/a?b=c")));
    EXPECT_TRUE(launcher.started.empty());

    launcher.desktopWorks = false;
    EXPECT_TRUE(opener.openUrl("mailto:time@example.org").ok());
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, QStringLiteral("/usr/bin/xdg-open"));
    EXPECT_EQ(launcher.started[0].arguments, QStringList{"mailto:time@example.org"});

    launcher.started.clear();
    launcher.failures = {{"/usr/bin/xdg-open", StartResult::NoResources},
                         {"missing-browser", StartResult::NotFound},
                         {"lynx", StartResult::AccessDenied}};
    launcher.env["BROWSER"] =
        QStringLiteral("missing-browser:lynx -dump %s:/opt/web/browser --new");
    result = opener.openUrl("http://example.org/");
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.detail, "/opt/web/browser");
    ASSERT_EQ(launcher.started.size(), 4u) << "xdg-open, two that fail, then the last one";
    EXPECT_EQ(launcher.started[2].program, QStringLiteral("lynx"));
    EXPECT_EQ(launcher.started[2].arguments, (QStringList{"-dump", "http://example.org/"}));
    EXPECT_EQ(launcher.started[3].arguments, (QStringList{"--new", "http://example.org/"}));
}

TEST_F(UrlOpenerTest, UrlsAreOneArgumentAndNeverPassThroughAShell) {
    // Characters a shell would act on stay inside the one argument, encoded where a URL must.
    const std::string nasty = "http://example.org/a;rm -rf ~/'$(x)'&b=`y`\"z\" q";
    launcher.installed = {"xdg-open"};
    EXPECT_TRUE(opener.openUrl(nasty).ok());
    ASSERT_EQ(launcher.started.size(), 1u);
    ASSERT_EQ(launcher.started[0].arguments.size(), 1);
    const QString argument = launcher.started[0].arguments[0];
    EXPECT_TRUE(argument.startsWith(QStringLiteral("http://example.org/a;rm")));
    for (const char c : {' ', '`', '"'}) {
        EXPECT_FALSE(argument.contains(QLatin1Char(c))) << c;
    }
    // Desktop services put the encoded URL after the browser's command and split the line as
    // QProcess::splitCommand does: the URL must come out of that as one argument too.
    launcher.desktopWorks = true;
    EXPECT_TRUE(opener.openUrl(nasty).ok());
    const QString encoded = QString::fromUtf8(launcher.desktopUrls.back().toEncoded());
    EXPECT_EQ(QProcess::splitCommand(QStringLiteral("/usr/bin/browser ") + encoded),
              (QStringList{"/usr/bin/browser", argument}));
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

// Every way an open can fail, and the code of the hyperlink's table it reports.
TEST_F(UrlOpenerTest, EachFailureMapsToTheNearestCode) {
    test::TempDir dir;
    const std::string unreadable = dir.file("unreadable.html");
    std::ofstream(unreadable) << "<p>";
    chmod(unreadable.c_str(), 0);
    const bool root = geteuid() == 0;  // root reads any file

    struct Case {
        const char* what;
        std::string target;
        const char* browser;  // $BROWSER; xdg-open is not installed
        StartResult start;    // how the browser's start ends
        UrlOpenStatus status;
        int code;
    };
    const std::vector<Case> cases = {
        {"not a URL", "no url here", "b", StartResult::Started, UrlOpenStatus::InvalidUrl, 2},
        {"an option", "--help", "b", StartResult::Started, UrlOpenStatus::InvalidUrl, 2},
        {"missing file", dir.file("none.html"), "b", StartResult::Started,
         UrlOpenStatus::InvalidUrl, 2},
        {"missing folder", dir.file("no/such/page.html"), "b", StartResult::Started,
         UrlOpenStatus::InvalidUrl, 3},
        {"no handler", "http://example.org/", "", StartResult::Started, UrlOpenStatus::NoHandler,
         31},
        {"blank $BROWSER", "http://example.org/", " : ", StartResult::Started,
         UrlOpenStatus::NoHandler, 31},
        {"browser not installed", "http://example.org/", "b", StartResult::NotFound,
         UrlOpenStatus::LaunchFailed, 27},
        {"browser not executable", "http://example.org/", "b", StartResult::AccessDenied,
         UrlOpenStatus::LaunchFailed, 5},
        {"browser no program", "http://example.org/", "b", StartResult::BadFormat,
         UrlOpenStatus::LaunchFailed, 11},
        {"interpreter missing", "http://example.org/", "b", StartResult::MissingInterpreter,
         UrlOpenStatus::LaunchFailed, 32},
        {"no processes left", "http://example.org/", "b", StartResult::NoResources,
         UrlOpenStatus::LaunchFailed, 0},
    };
    std::vector<Case> all = cases;
    if (!root) {
        all.push_back({"unreadable file", unreadable, "b", StartResult::Started,
                       UrlOpenStatus::InvalidUrl, 5});
    }
    for (const Case& c : all) {
        FakeLauncher fake;
        fake.env["BROWSER"] = QString::fromLatin1(c.browser);
        if (c.start != StartResult::Started) {
            fake.failures[QStringLiteral("b")] = c.start;
        }
        DesktopUrlOpener tried(fake);
        const UrlOpenResult result = tried.openUrl(c.target);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.shellCode(), c.code) << c.what << ": " << result.detail;
        if (c.status == UrlOpenStatus::InvalidUrl) {
            EXPECT_TRUE(fake.desktopUrls.empty() && fake.started.empty())
                << c.what << ": refused before anything starts";
        }
    }

    // With several handlers failing, the last one tried is the one reported.
    launcher.installed = {"xdg-open"};
    launcher.failures = {{"/usr/bin/xdg-open", StartResult::AccessDenied},
                         {"gone", StartResult::NotFound},
                         {"old", StartResult::BadFormat}};
    launcher.env["BROWSER"] = QStringLiteral("gone:old");
    const UrlOpenResult result = opener.openUrl("http://example.org/");
    EXPECT_EQ(result.shellCode(), 11);
    EXPECT_NE(result.detail.find("xdg-open"), std::string::npos);
    EXPECT_NE(result.detail.find("\"gone\""), std::string::npos);
}

TEST_F(UrlOpenerTest, ReadableLocalFilesOpenAsFileUrls) {
    test::TempDir dir;
    const std::string page = dir.file("index.html");
    std::ofstream(page) << "<p>";
    launcher.desktopWorks = true;
    EXPECT_TRUE(opener.openUrl(page).ok());
    ASSERT_EQ(launcher.desktopUrls.size(), 1u);
    EXPECT_EQ(launcher.desktopUrls[0], QUrl::fromLocalFile(QString::fromStdString(page)));
}

// The real launcher's reasons, from files that cannot run: nothing here starts a program.
TEST(SystemUrlLauncherTest, DiagnosesWhyAProgramDidNotStart) {
    test::TempDir dir;
    const auto make = [&](const char* name, const std::string& content, mode_t mode) {
        const std::string path = dir.file(name);
        std::ofstream(path) << content;
        chmod(path.c_str(), mode);
        return QString::fromStdString(path);
    };
    const QString plain = make("plain", "#!/bin/sh\n", 0644);
    const QString orphan = make("orphan", "#!/no/such/interpreter -x\nexit 0\n", 0755);
    const QString garbage = make("garbage", "just some text\n", 0755);
    const QString script = make("script", "#!/bin/sh\nexit 0\n", 0755);

    EXPECT_EQ(SystemUrlLauncher::diagnose(QString::fromStdString(dir.file("none"))),
              StartResult::NotFound);
    EXPECT_EQ(SystemUrlLauncher::diagnose(QStringLiteral("no-such-program-anywhere")),
              StartResult::NotFound);
    EXPECT_EQ(SystemUrlLauncher::diagnose(QString::fromStdString(dir.path().string())),
              StartResult::AccessDenied);
    EXPECT_EQ(SystemUrlLauncher::diagnose(plain), StartResult::AccessDenied);
    EXPECT_EQ(SystemUrlLauncher::diagnose(orphan), StartResult::MissingInterpreter);
    EXPECT_EQ(SystemUrlLauncher::diagnose(garbage), StartResult::BadFormat);
    EXPECT_EQ(SystemUrlLauncher::diagnose(script), StartResult::NoResources)
        << "a runnable script that failed to start: the system was out of resources";

    SystemUrlLauncher launcher;
    EXPECT_EQ(launcher.startDetached(plain, {QStringLiteral("http://example.org/")}),
              StartResult::AccessDenied);
    EXPECT_EQ(launcher.startDetached(QStringLiteral("no-such-program-anywhere"), {}),
              StartResult::NotFound);
}

}  // namespace
}  // namespace horalux
