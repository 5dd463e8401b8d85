// The sources of other time services: a process table laid out as /proc is, and the system's
// clock settings as a fake org.freedesktop.timedate1 on a private bus. Both report through the
// event loop, within their bound.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/process_table_source.h"
#include "platform/timedated_source.h"
#include "support/command_runner.h"
#include "support/test_dirs.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

using Daemons = std::vector<std::string>;

// A process of the fake table: /proc/PID/comm as the kernel writes it, and cmdline.
void AddProcess(const std::filesystem::path& root, const std::string& pid, const std::string& comm,
                const std::string& cmdline = {}) {
    std::filesystem::create_directories(root / pid);
    std::ofstream(root / pid / "comm") << comm << "\n";
    std::ofstream(root / pid / "cmdline", std::ios::binary) << cmdline;
}

TEST(ProcessTableSourceTest, FindsTheTimeDaemonsByTheirKernelNames) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> processes;  // comm, cmdline
        Daemons found;
    };
    const Case cases[] = {
        {"none", {{"bash", "bash\0"s}, {"Xorg", ""}}, {}},
        {"timesyncd, whose name the kernel cuts", {{"systemd-timesyn", ""}}, {"systemd-timesyncd"}},
        {"all three, each once, in a fixed order",
         {{"ntpd", "/usr/sbin/ntpd\0-p\0/run/ntpd.pid\0"s},
          {"chronyd", "/usr/sbin/chronyd\0-F\0001\0"s},
          {"chronyd", "/usr/sbin/chronyd\0"s},
          {"systemd-timesyn", ""}},
         {"systemd-timesyncd", "chronyd", "ntpd"}},
        {"chronyd -x leaves the clock alone", {{"chronyd", "chronyd\0-n\0-x\0-f\0c.conf\0"s}}, {}},
        {"names that only look alike", {{"chronyc", ""}, {"ntpdate", ""}, {"xntpd", ""}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir proc;
        int pid = 100;
        for (const auto& [comm, cmdline] : c.processes) {
            AddProcess(proc.path(), std::to_string(pid++), comm, cmdline);
        }
        // Folders and files of /proc that are no processes.
        std::filesystem::create_directories(proc.path() / "sys" / "chronyd");
        std::ofstream(proc.path() / "uptime") << "1.0 1.0\n";
        EXPECT_EQ(ProcessTableSource::Scan(proc.path().string()), c.found);
    }
    EXPECT_EQ(ProcessTableSource::Scan("/nonexistent/proc"), Daemons{});
}

TEST(ProcessTableSourceTest, ReportsThroughTheEventLoopAndNotAfterItIsGone) {
    test::TempDir proc;
    AddProcess(proc.path(), "1", "chronyd", "chronyd");
    std::optional<TimeServiceReport> report;
    ProcessTableSource source(proc.path().string());
    source.detect([&](const TimeServiceReport& r) { report = r; });
    EXPECT_FALSE(report) << "reported before the event loop ran";
    ASSERT_TRUE(test::waitFor([&] { return report.has_value(); }, 5000));
    EXPECT_EQ(report->daemons, Daemons{"chronyd"});

    bool late = false;
    {
        ProcessTableSource gone(proc.path().string());
        gone.detect([&](const TimeServiceReport&) { late = true; });
    }
    test::waitFor([] { return false; }, 200);
    EXPECT_FALSE(late);
}

// org.freedesktop.timedate1 as systemd-timedated serves it: properties NTP and NTPSynchronized.
class FakeTimedate1 final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.timedate1")
    Q_PROPERTY(bool NTP READ ntp)
    Q_PROPERTY(bool NTPSynchronized READ ntp)

  public:
    explicit FakeTimedate1(bool ntp) : ntp_(ntp) {}
    bool ntp() const { return ntp_; }

  private:
    bool ntp_;
};

// A service that takes every call and never answers.
class SilentObject final : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override { return true; }
};

// A D-Bus daemon of the test's own, stopped by its PID at the end.
class PrivateBus {
  public:
    PrivateBus() {
        if (!test::findProgram("dbus-daemon")) {
            return;
        }
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForStarted(5000) &&
            test::waitFor([&] { return daemon_.canReadLine(); }, 5000)) {
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-timedated"));
        QDBusConnection::disconnectFromBus(QStringLiteral("horalux"));
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }
    const QString& address() const { return address_; }
    QDBusConnection connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    QProcess daemon_;
    QString address_;
};

TEST(TimedatedSourceTest, ReadsNtpAndGivesAnEmptyReportWhenTheServiceCannotTellInTime) {
    enum class Service { NtpOn, NtpOff, Absent, Silent };
    struct Case {
        Service service;
        bool ntp;
    };
    for (const Case c : {Case{Service::NtpOn, true}, Case{Service::NtpOff, false},
                         Case{Service::Absent, false}, Case{Service::Silent, false}}) {
        SCOPED_TRACE(static_cast<int>(c.service));
        PrivateBus bus;
        if (bus.address().isEmpty()) {
            GTEST_SKIP() << "no dbus-daemon to run a private bus with";
        }
        QDBusConnection server = bus.connect(QStringLiteral("fake-timedated"));
        FakeTimedate1 settings(c.service == Service::NtpOn);
        SilentObject silent;
        if (c.service == Service::NtpOn || c.service == Service::NtpOff) {
            ASSERT_TRUE(server.registerObject(QString::fromLatin1(TimedatedSource::kPath),
                                              &settings, QDBusConnection::ExportAllProperties));
        } else if (c.service == Service::Silent) {
            ASSERT_TRUE(
                server.registerVirtualObject(QString::fromLatin1(TimedatedSource::kPath), &silent));
        }
        if (c.service != Service::Absent) {
            ASSERT_TRUE(server.registerService(QString::fromLatin1(TimedatedSource::kService)));
        }

        constexpr int kBoundMs = 400;
        TimedatedSource source(bus.connect(QStringLiteral("horalux")), kBoundMs);
        std::optional<TimeServiceReport> report;
        QElapsedTimer took;
        took.start();
        source.detect([&](const TimeServiceReport& r) { report = r; });
        ASSERT_TRUE(test::waitFor([&] { return report.has_value(); }, 5000));
        EXPECT_LT(took.elapsed(), kBoundMs + 1000);
        EXPECT_EQ(report->ntpEnabled, c.ntp);
        EXPECT_TRUE(report->daemons.empty());
        server.unregisterObject(QString::fromLatin1(TimedatedSource::kPath));
    }
}

TEST(TimedatedSourceTest, NoBusGivesAnEmptyReportThroughTheEventLoop) {
    TimedatedSource source(QDBusConnection(QStringLiteral("no such connection")), 1000);
    std::optional<TimeServiceReport> report;
    source.detect([&](const TimeServiceReport& r) { report = r; });
    EXPECT_FALSE(report);
    ASSERT_TRUE(test::waitFor([&] { return report.has_value(); }, 1000));
    EXPECT_EQ(*report, TimeServiceReport{});
}

}  // namespace
}  // namespace horalux

#include "time_service_sources_test.moc"
