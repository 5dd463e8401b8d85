#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <vector>

#include "app/single_instance.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

// Runs the event loop until `done` or the bound passes.
template <typename Done>
bool ProcessEventsUntil(Done done, int boundMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < boundMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

QString Folder(const test::TempDir& dir) {
    return QString::fromStdString(dir.path().string());
}

TEST(SingleInstanceTest, ALaterCopyIsRefusedAndAsksTheFirstToOpenItsProperties) {
    test::TempDir dir;
    SingleInstance first(QStringLiteral("instance"), Folder(dir));
    std::vector<int> received;
    QObject::connect(&first, &SingleInstance::messageReceived,
                     [&received](int message) { received.push_back(message); });
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.listening());

    QElapsedTimer timer;
    timer.start();
    SingleInstance second(QStringLiteral("instance"), Folder(dir));
    EXPECT_FALSE(second.claim());
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(second.listening());

    ASSERT_TRUE(ProcessEventsUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<int>{1025});

    // Each later copy asks again.
    SingleInstance third(QStringLiteral("instance"), Folder(dir));
    EXPECT_FALSE(third.claim());
    ASSERT_TRUE(ProcessEventsUntil([&] { return received.size() == 2; }));
}

TEST(SingleInstanceTest, TheSlotIsFreeAgainWhenTheFirstCopyEnds) {
    test::TempDir dir;
    {
        SingleInstance first(QStringLiteral("instance"), Folder(dir));
        ASSERT_TRUE(first.claim());
    }
    SingleInstance next(QStringLiteral("instance"), Folder(dir));
    EXPECT_TRUE(next.claim());
}

// A copy that crashed leaves its socket file behind; nobody answers on it any more.
TEST(SingleInstanceTest, ASocketFileLeftByACrashedCopyIsReplaced) {
    test::TempDir dir;
    const std::string path = dir.file("instance");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);  // the file stays, refusing connections
    ASSERT_TRUE(QFile::exists(QString::fromStdString(path)));

    SingleInstance first(QStringLiteral("instance"), Folder(dir));
    EXPECT_TRUE(first.claim());
    EXPECT_TRUE(first.listening());

    SingleInstance second(QStringLiteral("instance"), Folder(dir));
    EXPECT_FALSE(second.claim());
}

TEST(SingleInstanceTest, OnlyTheUserCanReachTheSocket) {
    test::TempDir dir;
    SingleInstance first(QStringLiteral("instance"), Folder(dir));
    ASSERT_TRUE(first.claim());
    struct stat info {};
    ASSERT_EQ(::stat(first.socketPath().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
}

TEST(SingleInstanceTest, TheNameCarriesTheUserId) {
    EXPECT_EQ(SingleInstance::defaultName(),
              QStringLiteral("Horalux-Kestrimund-%1").arg(::getuid()));
}

}  // namespace
}  // namespace horalux
