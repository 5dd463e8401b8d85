// The network clients against real peers: chronyd as the NTP server (the system time, or the
// system time moved by libfaketime), chronyd -Q as the reference client, and horalux-diag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>

#include "diag_command.h"
#include "network_fixture.h"
#include "platform/system_clock.h"
#include "support/chrony_server.h"
#include "support/command_runner.h"
#include "support/loopback_servers.h"
#include "support/test_dirs.h"
#include "support/testdata.h"
#include "sync/network_update.h"

namespace horalux {
namespace {

using test::ChronyServer;
using test::CommandResult;
using test::jsonNumber;
using test::runDiag;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The offset horalux-diag measures against the server. A busy machine delays one direction of
// an exchange more than the other and skews a single measurement by up to half its round trip,
// so the query with the shortest round trip out of a few is taken, as NTP clients do.
std::optional<double> diagOffset(uint16_t port, std::string* output) {
    std::optional<double> best;
    double bestDelay = 1e9;
    for (int i = 0; i < 7; ++i) {
        const CommandResult r = runDiag("sntp 127.0.0.1 --port " + std::to_string(port));
        *output += r.output;
        const auto offset = jsonNumber(r.output, "offset");
        const auto t1 = jsonNumber(r.output, "t1");
        const auto t2 = jsonNumber(r.output, "t2");
        const auto t3 = jsonNumber(r.output, "t3");
        const auto t4 = jsonNumber(r.output, "t4");
        if (r.exitCode != 0 || !offset || !t1 || !t2 || !t3 || !t4) {
            return std::nullopt;
        }
        const double delay = (*t4 - *t1) - (*t3 - *t2);
        if (delay < bestDelay) {
            bestDelay = delay;
            best = offset;
        }
    }
    return best;
}

std::optional<double> referenceOffset(uint16_t port, std::string* output) {
    std::vector<double> offsets;
    for (int i = 0; i < 3; ++i) {
        const auto offset = test::chronyMeasuredOffset(port, output);
        if (!offset) {
            return std::nullopt;
        }
        offsets.push_back(*offset);
    }
    return median(offsets);
}

class ChronyPeerTest : public ::testing::Test {
  protected:
    bool startServer(const ChronyServer::Options& options = {}) {
        if (!server.start(options)) {
            ADD_FAILURE() << "chronyd did not start: " << server.failure();
            return false;
        }
        return true;
    }

    ChronyServer server;
};

TEST_F(ChronyPeerTest, DiagAgreesWithChronysOwnClient) {
    HORALUX_REQUIRE_CHRONY(false);
    ASSERT_TRUE(startServer());
    // The reference client only ever measures.
    ASSERT_NE(test::chronyQueryCommand(server.port()).find("chronyd -Q "), std::string::npos);

    std::string output;
    const auto ours = diagOffset(server.port(), &output);
    ASSERT_TRUE(ours) << output;
    const auto theirs = referenceOffset(server.port(), &output);
    ASSERT_TRUE(theirs) << output;
    EXPECT_NEAR(*ours, *theirs, 0.001);

    // The four timestamps are the PC's and the server's times of one exchange, in order.
    const CommandResult r = runDiag("sntp 127.0.0.1 --port " + std::to_string(server.port()));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const auto t1 = jsonNumber(r.output, "t1");
    const auto t2 = jsonNumber(r.output, "t2");
    const auto t3 = jsonNumber(r.output, "t3");
    const auto t4 = jsonNumber(r.output, "t4");
    ASSERT_TRUE(t1 && t2 && t3 && t4) << r.output;
    EXPECT_NEAR(*t1, static_cast<double>(systemUnixMillis()) / 1000 + 2208988800.0, 5.0);
    EXPECT_LE(*t2, *t3);
    EXPECT_LE(*t1, *t4 + 0.001);
    EXPECT_LT(*t4 - *t1, 1.0);
}

// A server 37.5 s ahead and one 12.25 s behind: the measured offset has the right size and sign.
TEST_F(ChronyPeerTest, DiagMeasuresAServerWithAKnownOffset) {
    HORALUX_REQUIRE_CHRONY(true);
    for (const double offset : {37.5, -12.25}) {
        SCOPED_TRACE(offset);
        char fake[32];
        std::snprintf(fake, sizeof fake, "%+.2f", offset);
        ASSERT_TRUE(startServer({true, fake}));
        std::string output;
        const auto ours = diagOffset(server.port(), &output);
        ASSERT_TRUE(ours) << output;
        EXPECT_NEAR(*ours, offset, 0.001);
        const auto theirs = referenceOffset(server.port(), &output);
        ASSERT_TRUE(theirs) << output;
        EXPECT_NEAR(*ours, *theirs, 0.001);
        server.stop();
    }
}

// Without a reference of its own chronyd answers with leap indicator 3 and stratum 0.
TEST_F(ChronyPeerTest, RefusesAnUnsynchronisedServer) {
    HORALUX_REQUIRE_CHRONY(false);
    ASSERT_TRUE(startServer({false, ""}));
    const CommandResult r = runDiag("sntp 127.0.0.1 --port " + std::to_string(server.port()));
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("not synchronised"), std::string::npos) << r.output;

    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    ASSERT_TRUE(clock.setUtc(utcFromUnixMillis(systemUnixMillis() + 3600 * 1000)));
    const int64_t before = clock.offsetMillis();
    test::NetworkFixture f(clock);
    f.useSntp(true);
    EXPECT_EQ(NetworkUpdate(f.ctx, "127.0.0.1:" + std::to_string(server.port())), 0);
    EXPECT_EQ(f.flags.networkFailed, 1);
    EXPECT_EQ(clock.offsetMillis(), before);
}

// The virtual clock an hour off either way is brought to the server's time (the system time).
TEST_F(ChronyPeerTest, ANetworkUpdateBySntpSetsTheVirtualClock) {
    HORALUX_REQUIRE_CHRONY(false);
    ASSERT_TRUE(startServer());
    for (const int64_t wrongBy : {int64_t{3600} * 1000, int64_t{-3600} * 1000}) {
        test::TempDir dir;
        VirtualSystemClock clock(dir.file("offset"));
        ASSERT_TRUE(clock.setUtc(utcFromUnixMillis(systemUnixMillis() + wrongBy)));
        test::NetworkFixture f(clock);
        f.useSntp(true);
        f.flags.networkFailed = 1;
        EXPECT_EQ(NetworkUpdate(f.ctx, "127.0.0.1:" + std::to_string(server.port())), 1);
        EXPECT_EQ(f.flags.networkFailed, 0);
        EXPECT_LE(std::abs(clock.offsetMillis()), 2) << "from " << wrongBy << " ms";
    }
}

// A server in 2040, past the NTP era change of 2036: the clock goes forward to 2040, not back
// to 1904.
TEST_F(ChronyPeerTest, FollowsAServerIntoTheNextNtpEra) {
    HORALUX_REQUIRE_CHRONY(true);
    ASSERT_TRUE(startServer({true, "@2040-07-01 12:00:00"}));
    std::string output;
    const auto reference = referenceOffset(server.port(), &output);
    ASSERT_TRUE(reference) << output;
    ASSERT_GT(*reference, 10 * 365 * 86400.0);  // the harness really serves 2040

    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    test::NetworkFixture f(clock);
    f.useSntp(true);
    EXPECT_EQ(NetworkUpdate(f.ctx, "127.0.0.1:" + std::to_string(server.port())), 1);
    EXPECT_EQ(clock.utcNow().year, 2040);
    // The reference was taken a moment earlier; the faked clock runs at the real rate.
    EXPECT_NEAR(static_cast<double>(clock.offsetMillis()) / 1000, *reference, 0.01);
}

TEST(DiagDaytimeTest, PrintsTheParsedReplyAndNeverSetsTheClock) {
    test::TcpTestServer server;
    ASSERT_TRUE(server.start(
        "127.0.0.1",
        test::TcpTestServer::sends("\n51986 01-03-18 19:53:17 00 0 0 725.6 UTC(NIST) *\n")));
    const CommandResult r = runDiag("daytime 127.0.0.1 --port " + std::to_string(server.port()));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("\"date\": \"2001-03-18\""), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\"time\": \"19:53:17\""), std::string::npos) << r.output;
    EXPECT_EQ(jsonNumber(r.output, "advance"), 725.6);
    // The test's clock file was never written.
    EXPECT_FALSE(std::filesystem::exists(std::getenv("HORALUX_CLOCK_FILE")));

    const CommandResult refused =
        runDiag("daytime 127.0.0.1:" + std::to_string(test::unusedTcpPort()));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("cannot connect"), std::string::npos) << refused.output;
    EXPECT_EQ(runDiag("daytime").exitCode, 2);
    EXPECT_EQ(runDiag("daytime 127.0.0.1 --port 0").exitCode, 2);
}

}  // namespace
}  // namespace horalux
