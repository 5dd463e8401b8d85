#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "network_fixture.h"
#include "platform/fake_system_clock.h"
#include "support/elapsed.h"
#include "support/loopback_servers.h"
#include "support/test_dirs.h"
#include "sync/daytime_client.h"
#include "sync/network_update.h"
#include "sync/sync_worker.h"

namespace horalux {
namespace {

using std::chrono::steady_clock;
using test::TcpTestServer;

constexpr const char* kNistReply = "\n51986 01-03-18 19:53:17 00 0 0 725.6 UTC(NIST) *\n";
const SystemTime kDaytimePcTime{2024, 5, 5, 10, 8, 0, 0, 0};

using test::seconds;

// The NIST line for a moment, as a server would send it.
std::string nistLine(const SystemTime& t, double advanceMs) {
    char line[80];
    std::snprintf(line, sizeof line,
                  "\n%05d %02d-%02d-%02d %02d:%02d:%02d 00 0 0 %.1f UTC(NIST) *\n", 51986,
                  t.year % 100, t.month, t.day, t.hour, t.minute, t.second, advanceMs);
    return line;
}

// A network update by Daytime against a server on 127.0.0.1, through the port setting.
struct DaytimeRun {
    explicit DaytimeRun(SystemClock& clock) : f(clock) {}

    int update(const TcpTestServer& server, int networkFailedBefore) {
        f.flags.networkFailed = networkFailedBefore;
        f.runtime.daytimePort = server.port();
        const auto start = steady_clock::now();
        const int result = NetworkUpdate(f.ctx, "127.0.0.1");
        took = seconds(steady_clock::now() - start);
        return result;
    }

    test::NetworkFixture f;
    double took = 0.0;
};

TEST(DaytimeClientTest, SetsTheClockToTheSecondTheServerSent) {
    FakeSystemClock clock(kDaytimePcTime);
    DaytimeRun run(clock);
    TcpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::sends(kNistReply)));
    EXPECT_EQ(run.update(server, 1), 1);
    EXPECT_EQ(run.f.flags.networkFailed, 0);
    EXPECT_GE(run.took, 0.725);
    ASSERT_EQ(clock.settingCount(), 1u);
    EXPECT_EQ(clock.settings()[0], (SystemTime{2001, 3, 5, 18, 19, 53, 17, 0}));
    EXPECT_EQ(server.connections(), 1);
}

// "UseSNTP" is read at every update; when it is absent, or anything but 1, Daytime is used.
TEST(DaytimeClientTest, IsTheProtocolUnlessUseSntpIsOne) {
    FakeSystemClock clock(kDaytimePcTime);
    DaytimeRun run(clock);
    TcpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::sends(nistLine(kDaytimePcTime, 0.0))));
    ASSERT_FALSE(run.f.store.contains(keys::UseSNTPForUpdate.section, keys::UseSNTPForUpdate.key));
    EXPECT_EQ(run.update(server, 0), 1);
    run.f.store.write(keys::UseSNTPForUpdate, 2);
    EXPECT_EQ(run.update(server, 0), 1);
    EXPECT_EQ(server.connections(), 2);
    run.f.useSntp(true);  // now by SNTP, where nothing answers on that port
    EXPECT_EQ(run.update(server, 0), 0);
    EXPECT_EQ(run.f.flags.networkFailed, 1);
    EXPECT_EQ(server.connections(), 2);
}

// The virtual clock an hour ahead is brought to the second the server sends, milliseconds 0,
// once the advance has been waited out.
TEST(DaytimeClientTest, BringsTheVirtualClockToTheServersSecond) {
    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    ASSERT_TRUE(clock.setUtc(utcFromUnixMillis(systemUnixMillis() + 3600 * 1000)));

    std::atomic<int64_t> sentAt{0};
    std::atomic<int64_t> sentSecond{0};
    TcpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", [&](int connection, const std::atomic<bool>&) {
        const int64_t now = systemUnixMillis();
        const int64_t second = now - now % 1000;
        const std::string line = nistLine(utcFromUnixMillis(second), 250.0);
        sentAt = now;
        sentSecond = second;
        ::send(connection, line.data(), line.size(), MSG_NOSIGNAL);
    }));
    DaytimeRun run(clock);
    EXPECT_EQ(run.update(server, 1), 1);
    const int64_t end = systemUnixMillis();
    EXPECT_EQ(run.f.flags.networkFailed, 0);
    EXPECT_GE(run.took, 0.250);

    // The clock was set to sentSecond.000 at a moment between the advance's end and now.
    const int64_t offset = clock.offsetMillis();
    EXPECT_LE(offset, sentSecond - (sentAt + 250) + 1);
    EXPECT_GE(offset, sentSecond - end - 1);
}

TEST(DaytimeClientTest, AReplyCutShortSetsNothingButCountsAsAnswered) {
    FakeSystemClock clock(kDaytimePcTime);
    DaytimeRun run(clock);
    TcpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::sends("\n51986 01-03-18 19:53:17")));
    EXPECT_EQ(run.update(server, 1), 0);
    EXPECT_EQ(run.f.flags.networkFailed, 0);
    EXPECT_EQ(clock.settingCount(), 0u);
}

TEST(DaytimeClientTest, GarbageSetsNothingButCountsAsAnswered) {
    for (const std::string& garbage : {
             std::string("SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n"),
             std::string("\n51986 01-13-18 19:53:17 00 0 0 725.6 UTC(NIST) *\n"),  // month 13
             std::string("\n51986 01-03-18 25:53:17 00 0 0 725.6 UTC(NIST) *\n"),  // hour 25
             std::string("\n51986 01-03-18 19:53:17 00 0 0 1e9 UTC(NIST) *\n"),    // advance
             std::string("\0\0\0\0\0\0", 6),
         }) {
        SCOPED_TRACE(garbage);
        FakeSystemClock clock(kDaytimePcTime);
        DaytimeRun run(clock);
        TcpTestServer server;
        ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::sends(garbage)));
        EXPECT_EQ(run.update(server, 1), 0);
        EXPECT_EQ(run.f.flags.networkFailed, 0);
        EXPECT_LT(run.took, 2.0);  // no wait for a hostile advance
        EXPECT_EQ(clock.settingCount(), 0u);
    }
}

// At most 51 bytes are read: a line that begins later is cut off and not used.
TEST(DaytimeClientTest, ReadsAtMost51Bytes) {
    FakeSystemClock clock(kDaytimePcTime);
    DaytimeRun run(clock);
    TcpTestServer server;
    ASSERT_TRUE(
        server.start("127.0.0.1", TcpTestServer::sends(std::string(40, '\n') + kNistReply)));
    EXPECT_EQ(run.update(server, 1), 0);
    EXPECT_EQ(run.f.flags.networkFailed, 0);
    EXPECT_EQ(clock.settingCount(), 0u);

    const DaytimeExchange exchange =
        DaytimeClient::Exchange("127.0.0.1:" + std::to_string(server.port()), 13);
    EXPECT_EQ(exchange.status, DaytimeExchange::Status::Received);
    EXPECT_EQ(exchange.text.size(), 51u);
}

// A server that closes without a word, or never says anything, leaves networkFailed as it was.
TEST(DaytimeClientTest, NoReplyLeavesTheNetworkStateAsItWas) {
    for (const int before : {0, 1}) {
        FakeSystemClock clock(kDaytimePcTime);
        DaytimeRun run(clock);
        TcpTestServer server;
        ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::closesAtOnce()));
        EXPECT_EQ(run.update(server, before), 0);
        EXPECT_EQ(run.f.flags.networkFailed, before);
        EXPECT_EQ(clock.settingCount(), 0u);
    }
}

TEST(DaytimeClientTest, AServerThatNeverAnswersEndsTheUpdateAfterFiveSeconds) {
    FakeSystemClock clock(kDaytimePcTime);
    DaytimeRun run(clock);
    TcpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::staysSilent()));
    EXPECT_EQ(run.update(server, 1), 0);
    EXPECT_GE(run.took, 4.9);
    EXPECT_LT(run.took, 8.0);
    EXPECT_EQ(run.f.flags.networkFailed, 1);
    EXPECT_EQ(clock.settingCount(), 0u);
}

// A server whose queue of connections is full never completes the connection: the connect gives
// up after five seconds and counts as unreachable.
TEST(DaytimeClientTest, AConnectionThatNeverCompletesEndsAfterFiveSeconds) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    // Fill the queue: this one is taken in but never accepted.
    const int first = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::connect(first, reinterpret_cast<sockaddr*>(&address), size);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    FakeSystemClock clock(kDaytimePcTime);
    test::NetworkFixture f(clock);
    f.runtime.daytimePort = ntohs(address.sin_port);
    const auto start = steady_clock::now();
    EXPECT_EQ(NetworkUpdate(f.ctx, "127.0.0.1"), 0);
    const double took = seconds(steady_clock::now() - start);
    ::close(first);
    ::close(listener);
    if (f.flags.networkFailed == 0) {
        GTEST_SKIP() << "this system completed the connection despite the full queue";
    }
    EXPECT_GE(took, 4.9);
    EXPECT_LT(took, 8.0);
    EXPECT_EQ(clock.settingCount(), 0u);
}

TEST(DaytimeClientTest, AServerThatCannotBeReachedSetsNetworkFailed) {
    FakeSystemClock clock(kDaytimePcTime);
    test::NetworkFixture f(clock);
    const uint16_t nobody = test::unusedTcpPort();
    f.runtime.daytimePort = nobody;
    for (const std::string& name :
         {std::string("127.0.0.1"), std::string("nonexistent.invalid"), std::string("localhost"),
          std::string("host:"), std::string("None")}) {
        SCOPED_TRACE(name);
        f.flags.networkFailed = 0;
        EXPECT_EQ(NetworkUpdate(f.ctx, name), 0);
        EXPECT_EQ(f.flags.networkFailed, 1);
    }
    // A port setting that no server can have.
    for (const int port : {0, -1, 65536}) {
        f.runtime.daytimePort = port;
        f.flags.networkFailed = 0;
        EXPECT_EQ(NetworkUpdate(f.ctx, "127.0.0.1"), 0);
        EXPECT_EQ(f.flags.networkFailed, 1);
    }
    EXPECT_EQ(clock.settingCount(), 0u);
}

// ":PORT" in the name wins over the port setting; IPv6 servers are reached in brackets.
TEST(DaytimeClientTest, ANamedPortReplacesThePortSetting) {
    FakeSystemClock clock(kDaytimePcTime);
    test::NetworkFixture f(clock);
    f.runtime.daytimePort = test::unusedTcpPort();
    TcpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", TcpTestServer::sends(nistLine(kDaytimePcTime, 0.0))));
    EXPECT_EQ(NetworkUpdate(f.ctx, "localhost:" + std::to_string(server.port())), 1);
    EXPECT_EQ(server.connections(), 1);

    if (!test::ipv6LoopbackAvailable()) {
        GTEST_SKIP() << "IPv6 loopback (::1) is not available here";
    }
    TcpTestServer v6;
    ASSERT_TRUE(v6.start("::1", TcpTestServer::sends(nistLine(kDaytimePcTime, 0.0))));
    EXPECT_EQ(NetworkUpdate(f.ctx, "[::1]:" + std::to_string(v6.port())), 1);
    f.runtime.daytimePort = v6.port();
    EXPECT_EQ(NetworkUpdate(f.ctx, "::1"), 1);
    EXPECT_EQ(v6.connections(), 2);
    EXPECT_EQ(clock.settingCount(), 3u);
}

// The clock-update worker in network mode is busy while the server keeps it waiting, and free
// again once the receive has given up.
TEST(NetworkWorkerTest, ASilentServerHoldsTheWorkerOnlyFiveSeconds) {
    FakeSystemClock clock(kDaytimePcTime);
    test::NetworkFixture f(clock);
    f.runtime.useNetworkTime = 1;
    f.runtime.setCurrentServer("127.0.0.1");
    TcpTestServer silent;
    ASSERT_TRUE(silent.start("127.0.0.1", TcpTestServer::staysSilent()));
    f.runtime.daytimePort = silent.port();
    SyncWorker worker(f.ctx);

    const auto start = steady_clock::now();
    worker.StartSync();
    while (f.flags.syncBusy == 0 && seconds(steady_clock::now() - start) < 2.0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(f.flags.syncBusy, 1);
    worker.StartSync();  // dropped while the first waits
    ASSERT_TRUE(worker.waitIdle(std::chrono::seconds(10)));
    EXPECT_EQ(f.flags.syncBusy, 0);
    EXPECT_GE(seconds(steady_clock::now() - start), 4.9);
    EXPECT_EQ(silent.connections(), 1);
    EXPECT_EQ(clock.settingCount(), 0u);

    TcpTestServer answering;
    ASSERT_TRUE(answering.start("127.0.0.1", TcpTestServer::sends(nistLine(kDaytimePcTime, 0.0))));
    f.runtime.daytimePort = answering.port();
    worker.StartSync();
    ASSERT_TRUE(worker.waitIdle(std::chrono::seconds(10)));
    EXPECT_EQ(clock.settingCount(), 1u);
    EXPECT_EQ(f.flags.networkFailed, 0);
}

}  // namespace
}  // namespace horalux
