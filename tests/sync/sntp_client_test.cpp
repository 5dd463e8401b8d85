#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <set>

#include "network_fixture.h"
#include "platform/fake_clock_helper.h"
#include "platform/fake_system_clock.h"
#include "platform/net_socket.h"
#include "support/elapsed.h"
#include "support/loopback_servers.h"
#include "sync/network_update.h"
#include "sync/sntp_client.h"

namespace horalux {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test::UdpReply;
using test::UdpTestServer;
namespace sntp = test::sntp;

const SystemTime kSntpPcTime{2001, 3, 0, 18, 19, 53, 17, 250};

// The fake clock stands still, but the client dates the reply's arrival by the system's time
// stamp on it, which lies a little before the client reads it (more on a busy machine).
constexpr double kTolerance = 0.05;

std::string local(const UdpTestServer& server) {
    return "127.0.0.1:" + std::to_string(server.port());
}

// The client reads the PC's time as the middle of the fake clock's millisecond.
constexpr NtpTimestamp kHalfMillisecond = 2147484;

// A reply that puts the server offsetSeconds ahead of the fake clock.
std::vector<uint8_t> replyAhead(const std::vector<uint8_t>& request, double offsetSeconds) {
    return sntp::replyAhead(request, offsetSeconds, toNtpTimestamp(kSntpPcTime) + kHalfMillisecond);
}

// A server whose every reply is the good one, changed by edit.
UdpTestServer::Handler answering(double offsetSeconds,
                                 std::function<void(std::vector<uint8_t>&)> edit = {}) {
    return [=](const std::vector<uint8_t>& request) {
        std::vector<uint8_t> packet = replyAhead(request, offsetSeconds);
        if (edit) {
            edit(packet);
        }
        return std::vector<UdpReply>{{packet}};
    };
}

using test::seconds;

// Every request is a bare version 3 client request whose transmit field is 64 random bits: it
// reveals nothing of the PC's clock, differs from request to request, and the reply must echo it.
TEST(SntpClientTest, SendsVersion3RequestsWithRandomTransmitTimes) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    std::mutex mutex;
    std::vector<std::vector<uint8_t>> seen;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", [&](const std::vector<uint8_t>& request) {
        std::lock_guard lock(mutex);
        seen.push_back(request);
        return std::vector<UdpReply>{{replyAhead(request, 0.0)}};
    }));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult result;
    ASSERT_EQ(client.Query(local(server), result, 123), 1) << client.lastFailure();

    std::lock_guard lock(mutex);
    ASSERT_EQ(seen.size(), size_t{SntpClient::kRequests});
    std::set<NtpTimestamp> transmits;
    for (const std::vector<uint8_t>& request : seen) {
        ASSERT_EQ(request.size(), 48u);
        EXPECT_EQ(request[0], 0x1B);
        EXPECT_TRUE(std::all_of(request.begin() + 1, request.begin() + 40,
                                [](uint8_t b) { return b == 0; }));
        const NtpTimestamp transmit = sntp::transmitOf(request);
        transmits.insert(transmit);
        // Far from the PC's time: a random value is within a second of it once in 2^32.
        EXPECT_GT(std::fabs(ntpDifference(transmit, toNtpTimestamp(kSntpPcTime))), 1.0);
    }
    EXPECT_EQ(transmits.size(), seen.size());
    // T1 is the PC's own time of sending, kept by the client.
    EXPECT_NEAR(ntpDifference(result.t1, toNtpTimestamp(kSntpPcTime)), 0.0005, 0.0001);
    EXPECT_EQ(result.samples, SntpClient::kRequests);
    EXPECT_EQ(clock.settingCount(), 0u);  // a query sets nothing
}

// How the server treats each request of an exchange.
struct Answer {
    enum Kind { Good, Silent, Stale, Kiss } kind = Good;
    double offset = 0.0;      // the server's time ahead of the PC's
    double processing = 0.0;  // t3 - t2: the longer, the shorter the round trip the PC sees
};

// The exchange keeps the sample with the least round trip; a reply that fails a check ends its
// request only, a kiss-o'-death ends the exchange, and once one reply is in, a lost one is waited
// for only briefly. The clock stands still, so a longer processing time means a shorter delay;
// the differences are far larger than a busy machine's lateness in reading a reply.
TEST(SntpClientTest, KeepsTheSampleWithTheLeastRoundTrip) {
    const struct Case {
        const char* name;
        std::vector<Answer> answers;
        int requests;  // sent
        int samples;   // usable
        double offset;
        double maxSeconds;
    } cases[] = {
        {"second is best",
         {{Answer::Good, 1.0, 0.1},
          {Answer::Good, 2.0, 0.5},
          {Answer::Good, 3.0, 0.3},
          {Answer::Good, 4.0, 0.2}},
         4,
         4,
         2.25,
         2.0},
        {"last is best",
         {{Answer::Good, 1.0, 0.0},
          {Answer::Good, 2.0, 0.0},
          {Answer::Good, 3.0, 0.0},
          {Answer::Good, 4.0, 0.2}},
         4,
         4,
         4.1,
         2.0},
        {"a stale reply is passed over",
         {{Answer::Stale}, {Answer::Good, 2.0, 0.0}, {Answer::Stale}, {Answer::Good, 4.0, 0.2}},
         4,
         2,
         4.1,
         2.0},
        {"a lost reply ends the exchange with what came",
         {{Answer::Good, 1.0, 0.0}, {Answer::Good, 2.0, 0.2}, {Answer::Silent}},
         3,
         2,
         2.1,
         2.0},
        {"a kiss-o'-death ends the exchange",
         {{Answer::Good, 1.0, 0.0}, {Answer::Kiss}},
         2,
         1,
         1.0,
         2.0},
        {"the first request is lost: the rest is not sent",
         {{Answer::Silent}, {Answer::Good, 2.0, 0.0}},
         1,
         0,
         0.0,
         8.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystemClock clock(kSntpPcTime);
        FakeTimeCapability capability;
        std::atomic<size_t> index{0};
        UdpTestServer server;
        ASSERT_TRUE(server.start("127.0.0.1", [&](const std::vector<uint8_t>& request) {
            const size_t i = index++;
            const Answer a = i < c.answers.size() ? c.answers[i] : Answer{Answer::Silent};
            std::vector<uint8_t> packet;
            switch (a.kind) {
                case Answer::Silent:
                    return std::vector<UdpReply>{};
                case Answer::Stale:
                    packet = replyAhead(request, 7.0);
                    packet[31] ^= 0x01;
                    break;
                case Answer::Kiss:
                    packet = replyAhead(request, 7.0);
                    packet[1] = 0;
                    break;
                case Answer::Good:
                    packet = replyAhead(request, a.offset);
                    writeNtpTimestamp(
                        packet.data() + 40,
                        addNtpOffset(readNtpTimestamp(packet.data() + 32), a.processing));
                    break;
            }
            return std::vector<UdpReply>{{packet}};
        }));
        ClockSetter setter(clock, capability);
        SntpClient client(clock, setter);
        SntpResult r;
        const auto start = steady_clock::now();
        EXPECT_EQ(client.Query(local(server), r, 123), c.samples > 0 ? 1 : 0)
            << client.lastFailure();
        EXPECT_LT(seconds(steady_clock::now() - start), c.maxSeconds);
        EXPECT_EQ(server.requests(), c.requests);
        if (c.samples > 0) {
            EXPECT_EQ(r.samples, c.samples);
            EXPECT_NEAR(r.offset, c.offset, kTolerance);
            EXPECT_EQ(client.lastMeasurement().delay, r.delay);
        }
    }
}

TEST(SntpClientTest, ComputesTheOffsetFromTheFourTimestamps) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", answering(10.0)));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult r;
    ASSERT_EQ(client.Query(local(server), r, 123), 1) << client.lastFailure();
    EXPECT_NEAR(ntpDifference(r.t2, r.t1), 10.0, 1e-6);
    EXPECT_NEAR(ntpDifference(r.t3, r.t4), 10.0, kTolerance);
    EXPECT_NEAR(r.offset, 10.0, kTolerance);

    // Behind instead of ahead: the sign follows.
    ASSERT_TRUE(server.start("127.0.0.1", answering(-3600.25)));
    ASSERT_EQ(client.Query(local(server), r, 123), 1) << client.lastFailure();
    EXPECT_NEAR(r.offset, -3600.25, kTolerance);

    // A real exchange: the server answers with its receive and transmit times apart.
    ASSERT_TRUE(server.start("127.0.0.1", [](const std::vector<uint8_t>& request) {
        const NtpTimestamp t1 = toNtpTimestamp(kSntpPcTime) + kHalfMillisecond;
        return std::vector<UdpReply>{
            {sntp::reply(request, addNtpOffset(t1, 5.0 + 0.1), addNtpOffset(t1, 5.0 + 0.3))}};
    }));
    ASSERT_EQ(client.Query(local(server), r, 123), 1);
    EXPECT_NEAR(r.offset, 5.2, kTolerance);  // ((5.1) + (5.3)) / 2 with a clock that stands still
}

TEST(SntpClientTest, AGoodReplyTenSecondsAheadSetsTheClockTenSecondsAhead) {
    FakeSystemClock clock(kSntpPcTime);
    test::NetworkFixture f(clock);
    f.useSntp(true);
    f.flags.networkFailed = 1;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", answering(10.0)));

    EXPECT_EQ(NetworkUpdate(f.ctx, local(server)), 1);
    EXPECT_EQ(f.flags.networkFailed, 0);
    ASSERT_EQ(clock.settingCount(), 1u);
    EXPECT_NEAR(static_cast<double>(toUnixMillis(clock.settings()[0]) - toUnixMillis(kSntpPcTime)),
                10000.0, kTolerance * 1000);
    // The permission was raised for the setting and lowered again.
    EXPECT_EQ(f.capability.raises, 1);
    EXPECT_EQ(f.capability.lowers, 1);
    EXPECT_FALSE(f.capability.raised);
}

// Through the clock helper the offset the exchange measured is the step, to the microsecond, and a
// refusal is a clock that could not be set: 2.
TEST(SntpClientTest, ThroughTheHelperTheMeasuredOffsetIsTheStep) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    FakeClockHelper helper;
    ClockSetter setter(clock, capability, ClockPath::Helper, &helper);
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", answering(2.5)));
    SntpClient client(clock, setter);
    EXPECT_EQ(client.SntpUpdate(local(server)), 0);
    helper.setAnswer({ClockHelperAnswer::Status::Error, clock_helper::kNotAuthorized, "no"});
    EXPECT_EQ(client.SntpUpdate(local(server)), 2);
    const auto steps = helper.steps();
    ASSERT_EQ(steps.size(), 2u);
    for (const auto step : steps) {
        EXPECT_NEAR(static_cast<double>(step.count()), 2.5e6, kTolerance * 1e6);
    }
    EXPECT_TRUE(steps[0].count() % 1000 != 0 || steps[1].count() % 1000 != 0)
        << "the step is not rounded to the clock's whole milliseconds";
    EXPECT_EQ(clock.settingCount(), 0u);
}

TEST(SntpClientTest, AGoodReplyWithoutThePermissionGivesTwoAndLeavesTheClock) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability(TimeCapability::Result::Failed);
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", answering(10.0)));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    EXPECT_EQ(client.SntpUpdate(local(server)), 2);
    EXPECT_EQ(clock.settingCount(), 0u);

    // A system without such permissions sets the clock all the same.
    capability.setAnswer(TimeCapability::Result::NotSupported);
    EXPECT_EQ(client.SntpUpdate(local(server)), 0);
    EXPECT_EQ(clock.settingCount(), 1u);
    EXPECT_EQ(capability.lowers, 0);  // nothing was raised, so nothing is lowered

    // The clock refuses: 2 again, and the network update reports it as a failure.
    clock.setAllowSetting(false);
    test::NetworkFixture f(clock);
    f.useSntp(true);
    EXPECT_EQ(NetworkUpdate(f.ctx, local(server)), 0);
    EXPECT_EQ(f.flags.networkFailed, 1);
    EXPECT_EQ(clock.settingCount(), 1u);
}

// Replies that must not be used, each answered at once: the query fails without waiting out
// the time-out, and the update reports the server as failed and leaves the clock alone.
TEST(SntpClientTest, RefusesRepliesThatAreNotAnAnswerFromASynchronisedServer) {
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> edit;
        SntpReplyCheck check;
    };
    const std::vector<Case> cases{
        {"client mode", [](auto& p) { p[0] = (p[0] & 0xF8) | 3; }, SntpReplyCheck::NotServerMode},
        {"broadcast mode", [](auto& p) { p[0] = (p[0] & 0xF8) | 5; },
         SntpReplyCheck::NotServerMode},
        {"leap indicator 3", [](auto& p) { p[0] |= 0xC0; }, SntpReplyCheck::Unsynchronised},
        {"stratum 0", [](auto& p) { p[1] = 0; }, SntpReplyCheck::BadStratum},
        {"stratum 16", [](auto& p) { p[1] = 16; }, SntpReplyCheck::BadStratum},
        {"zero transmit time", [](auto& p) { std::fill(p.begin() + 40, p.end(), 0); },
         SntpReplyCheck::NoTransmitTime},
        {"originate mismatch", [](auto& p) { p[31] ^= 0x01; }, SntpReplyCheck::OriginateMismatch},
        {"47 bytes", [](auto& p) { p.resize(47); }, SntpReplyCheck::TooShort},
        {"empty datagram", [](auto& p) { p.clear(); }, SntpReplyCheck::TooShort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystemClock clock(kSntpPcTime);
        test::NetworkFixture f(clock);
        f.useSntp(true);
        UdpTestServer server;
        ASSERT_TRUE(server.start("127.0.0.1", answering(10.0, c.edit)));

        // The check alone, on the packet the server would send.
        std::vector<uint8_t> request(48, 0);
        writeNtpTimestamp(request.data() + 40, toNtpTimestamp(kSntpPcTime));
        std::vector<uint8_t> packet = replyAhead(request, 10.0);
        c.edit(packet);
        EXPECT_EQ(checkSntpReply(packet.data(), packet.size(), toNtpTimestamp(kSntpPcTime)),
                  c.check);

        const auto start = steady_clock::now();
        EXPECT_EQ(NetworkUpdate(f.ctx, local(server)), 0);
        EXPECT_LT(seconds(steady_clock::now() - start), 4.0);
        EXPECT_EQ(f.flags.networkFailed, 1);
        EXPECT_EQ(clock.settingCount(), 0u);
        // A server that says it cannot serve is not asked again; any other reply ends only its
        // own request.
        EXPECT_EQ(server.requests(), isServerRefusal(c.check) ? 1 : SntpClient::kRequests);
    }
}

TEST(SntpClientTest, AcceptsLongerRepliesAndAnyLeapWarning) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult r;
    UdpTestServer server;
    // An authenticator after the packet, and a leap second announced (leap indicator 1).
    ASSERT_TRUE(server.start("127.0.0.1", answering(1.0, [](auto& p) {
                                 p.resize(68, 0xAB);
                                 p[0] |= 0x40;
                             })));
    EXPECT_EQ(client.Query(local(server), r, 123), 1) << client.lastFailure();
    EXPECT_NEAR(r.offset, 1.0, kTolerance);
}

TEST(SntpClientTest, AServerThatNeverAnswersEndsTheUpdateAfterFiveSeconds) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", [](const auto&) { return std::vector<UdpReply>{}; }));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    const auto start = steady_clock::now();
    EXPECT_EQ(client.SntpUpdate(local(server)), 1);
    const double took = seconds(steady_clock::now() - start);
    EXPECT_GE(took, 4.9);
    EXPECT_LT(took, 8.0);
    EXPECT_EQ(server.requests(), 1);
    EXPECT_EQ(clock.settingCount(), 0u);
    EXPECT_EQ(capability.raises, 0);
}

// The socket is connected to the server asked: a datagram from any other port or address is
// dropped, however good it looks, and the server's own reply is used.
TEST(SntpClientTest, IgnoresRepliesFromAnyoneButTheServerAsked) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", [](const std::vector<uint8_t>& request) {
        return std::vector<UdpReply>{
            {replyAhead(request, 100.0), UdpReply::From::OtherPort},
            {replyAhead(request, 200.0), UdpReply::From::OtherAddress},
            {replyAhead(request, 10.0), UdpReply::From::Server, milliseconds(300)},
        };
    }));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult r;
    ASSERT_EQ(client.Query(local(server), r, 123), 1) << client.lastFailure();
    EXPECT_NEAR(r.offset, 10.0, kTolerance);

    // Only strangers answer: nothing is used and the query times out.
    ASSERT_TRUE(server.start("127.0.0.1", [](const std::vector<uint8_t>& request) {
        return std::vector<UdpReply>{
            {replyAhead(request, 100.0), UdpReply::From::OtherPort},
            {replyAhead(request, 200.0), UdpReply::From::OtherAddress},
        };
    }));
    const auto start = steady_clock::now();
    EXPECT_EQ(client.Query(local(server), r, 123), 0);
    EXPECT_GE(seconds(steady_clock::now() - start), 4.9);
}

TEST(SntpClientTest, NamesThatDoNotResolveFailWithoutWaiting) {
    FakeSystemClock clock(kSntpPcTime);
    test::NetworkFixture f(clock);
    f.useSntp(true);
    ClockSetter setter(clock, f.capability);
    SntpClient client(clock, setter);
    for (const char* name : {"nonexistent.invalid", "", "host:", "host:99999", "[::1", "Error"}) {
        SCOPED_TRACE(name);
        const auto start = steady_clock::now();
        EXPECT_EQ(client.SntpUpdate(name), 1);
        EXPECT_LT(seconds(steady_clock::now() - start), 4.0);
        EXPECT_FALSE(client.lastFailure().empty());
        f.flags.networkFailed = 0;
        EXPECT_EQ(NetworkUpdate(f.ctx, name), 0);
        EXPECT_EQ(f.flags.networkFailed, 1);
    }
    EXPECT_EQ(clock.settingCount(), 0u);
}

TEST(SntpClientTest, ANameWithoutAPortAsksPort123) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", answering(1.0)));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult r;
    // The port argument is used when the name has none...
    EXPECT_EQ(client.Query("127.0.0.1", r, server.port()), 1) << client.lastFailure();
    EXPECT_EQ(client.Query("localhost", r, server.port()), 1) << client.lastFailure();
    EXPECT_EQ(server.requests(), 2 * SntpClient::kRequests);
    // ...and the update asks the standard port, where nothing answers on this machine (a root
    // test run may have a server there; either way our test server sees nothing).
    client.SntpUpdate("127.0.0.1");
    EXPECT_EQ(server.requests(), 2 * SntpClient::kRequests);
}

TEST(SntpClientTest, ReachesAServerOnIPv6Loopback) {
    if (!test::ipv6LoopbackAvailable()) {
        GTEST_SKIP() << "IPv6 loopback (::1) is not available here";
    }
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    UdpTestServer server;
    ASSERT_TRUE(server.start("::1", answering(2.5)));
    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult r;
    ASSERT_EQ(client.Query("[::1]:" + std::to_string(server.port()), r, 123), 1)
        << client.lastFailure();
    EXPECT_NEAR(r.offset, 2.5, kTolerance);
    ASSERT_EQ(client.Query("::1", r, server.port()), 1) << client.lastFailure();
}

// A name may resolve to several addresses; one where nothing listens is passed over.
TEST(SntpClientTest, TriesTheNextAddressWhenNothingListensOnOne) {
    FakeSystemClock clock(kSntpPcTime);
    FakeTimeCapability capability;
    UdpTestServer server;
    ASSERT_TRUE(server.start("127.0.0.1", answering(3.0)));
    UdpTestServer closed;  // a port that was in use a moment ago and is now closed
    ASSERT_TRUE(closed.start("127.0.0.1", [](const auto&) { return std::vector<UdpReply>{}; }));
    const uint16_t closedPort = closed.port();
    closed.stop();

    std::vector<SocketAddress> addresses =
        resolveHost("127.0.0.1", closedPort, SocketKind::Datagram);
    if (test::ipv6LoopbackAvailable()) {
        const auto v6 = resolveHost("::1", server.port(), SocketKind::Datagram);
        addresses.insert(addresses.begin(), v6.begin(), v6.end());
    }
    const auto good = resolveHost("127.0.0.1", server.port(), SocketKind::Datagram);
    addresses.insert(addresses.end(), good.begin(), good.end());

    ClockSetter setter(clock, capability);
    SntpClient client(clock, setter);
    SntpResult r;
    const auto start = steady_clock::now();
    ASSERT_EQ(client.Query(addresses, r), 1) << client.lastFailure();
    EXPECT_LT(seconds(steady_clock::now() - start), 4.0);
    EXPECT_NEAR(r.offset, 3.0, kTolerance);
}

}  // namespace
}  // namespace horalux
