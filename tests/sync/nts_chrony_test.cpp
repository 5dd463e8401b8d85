// NTS against chronyd as the key-exchange and NTP server (a certificate made by the test, free
// loopback ports, -x, without the power to set the clock): offsets measured under libfaketime,
// cookies kept between updates, and what is refused: an untrusted certificate, replies changed
// on the way (a relay), a plain reply to an authenticated request, a server that is no NTS
// server. Every failure is bounded in time and sets nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "app/settings_keys.h"
#include "diag_command.h"
#include "network_fixture.h"
#include "platform/system_clock.h"
#include "support/chrony_server.h"
#include "support/command_runner.h"
#include "support/elapsed.h"
#include "support/loopback_servers.h"
#include "support/test_dirs.h"
#include "sync/network_update.h"
#include "sync/nts_session.h"

namespace horalux {
namespace {

using std::chrono::steady_clock;
using test::ChronyServer;
using test::CommandResult;

// A network update by NTS on a virtual clock, with what it keeps in sessions.
struct NtsUpdate {
    explicit NtsUpdate(NtsSessions& sessions) : clock(dir.file("offset")), f(clock) {
        f.useSntp(true);
        f.store.write(keys::UseNTS, 1);
        f.ctx.nts = &sessions;
    }

    UpdateOutcome run(uint16_t kePort, double* seconds = nullptr) {
        const auto start = steady_clock::now();
        UpdateOutcome report = RunNetworkUpdate(f.ctx, "127.0.0.1:" + std::to_string(kePort));
        if (seconds != nullptr) {
            *seconds = test::seconds(steady_clock::now() - start);
        }
        return report;
    }
    NtsFailure ntsFailure() const { return static_cast<NtsFailure>(f.flags.ntsFailure.load()); }

    test::TempDir dir;
    VirtualSystemClock clock;
    test::NetworkFixture f;
};

class NtsChronyTest : public ::testing::Test {
  protected:
    void TearDown() override { ::unsetenv("HORALUX_NTS_CA_FILE"); }

    bool startServer(ChronyServer::Options options) {
        options.nts = true;
        if (!server.start(options)) {
            ADD_FAILURE() << "chronyd did not start: " << server.failure();
            return false;
        }
        ::setenv("HORALUX_NTS_CA_FILE", server.certificate().c_str(), 1);
        return true;
    }

    ChronyServer server;
};

TEST_F(NtsChronyTest, MeasuresAServerAheadAndKeepsItsCookiesForTheNextUpdate) {
    HORALUX_REQUIRE_CHRONY(true);
    ASSERT_TRUE(startServer({true, "+2.5"}));
    const std::string ke = std::to_string(server.ntsPort());

    // horalux-diag: one key exchange, then the best of four authenticated requests.
    const CommandResult r = test::runDiag("sntp 127.0.0.1 --nts --port " + ke);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NEAR(test::jsonNumber(r.output, "offset").value_or(0), 2.5, 0.002) << r.output;
    EXPECT_NE(r.output.find("\"server\": \"127.0.0.1\""), std::string::npos) << r.output;
    EXPECT_EQ(test::jsonNumber(r.output, "port"), server.port())
        << "the NTP port the key exchange named";
    EXPECT_NE(r.output.find("\"aead\": \"AEAD_AES_SIV_CMAC_256\""), std::string::npos);
    EXPECT_EQ(test::jsonNumber(r.output, "cookies"), 8)
        << "every reply replaced the cookie it used";
    EXPECT_EQ(test::jsonNumber(r.output, "samples"), 4);
    EXPECT_LT(test::jsonNumber(r.output, "delay").value_or(1), 0.1);

    // The program's update: the virtual clock, an hour off, is set to the server's time.
    NtsSessions sessions;
    NtsUpdate update(sessions);
    for (const int64_t wrongBy : {int64_t{3600000}, int64_t{-3600000}}) {
        SCOPED_TRACE(wrongBy);
        ASSERT_TRUE(update.clock.setUtc(utcFromUnixMillis(systemUnixMillis() + wrongBy)));
        const UpdateOutcome report = update.run(server.ntsPort());
        EXPECT_EQ(report.result, UpdateResult::Set) << report.detail;
        EXPECT_EQ(update.ntsFailure(), NtsFailure::None);
        ASSERT_TRUE(report.delayMs);
        EXPECT_LT(*report.delayMs, 100.0);
        EXPECT_NEAR(static_cast<double>(update.clock.offsetMillis()), 2500.0, 2.0);
        EXPECT_EQ(update.f.flags.networkFailed, 0);
        // The second update used a kept cookie: still the one key exchange.
        EXPECT_EQ(sessions.keyExchanges(), 1);
    }

    // Cookies the server cannot read: it answers with a NAK, and one new key exchange follows.
    const std::string key = "127.0.0.1:" + ke;
    auto kept = sessions.take(key);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->cookies.size(), 8u);
    kept->cookies.clear();
    for (int i = 0; i < 8; ++i) {
        kept->cookies.add(std::vector<uint8_t>(100, 0x5A));
    }
    sessions.keep(key, std::move(*kept));
    EXPECT_EQ(update.run(server.ntsPort()).result, UpdateResult::Set);
    EXPECT_EQ(sessions.keyExchanges(), 2);

    // A used-up jar: one new key exchange too.
    kept = sessions.take(key);
    ASSERT_TRUE(kept);
    kept->cookies.clear();
    sessions.keep(key, std::move(*kept));
    EXPECT_EQ(update.run(server.ntsPort()).result, UpdateResult::Set);
    EXPECT_EQ(sessions.keyExchanges(), 3);
    EXPECT_NEAR(static_cast<double>(update.clock.offsetMillis()), 2500.0, 2.0);
}

TEST_F(NtsChronyTest, RefusesWhatIsNotAuthenticInBoundedTimeAndSetsNothing) {
    HORALUX_REQUIRE_CHRONY(false);
    // The key exchange sends the client to 127.0.0.2, where a relay passes requests on to
    // chronyd and brings back its replies, changed as each case says.
    ASSERT_TRUE(startServer({true, "", true, "127.0.0.2"}));
    std::function<void(std::vector<uint8_t>&)> edit = [](std::vector<uint8_t>&) {};
    std::mutex mutex;
    test::UdpRelay relay;
    ASSERT_TRUE(relay.start("127.0.0.2", server.port(), "127.0.0.1", server.port(),
                            [&](std::vector<uint8_t>& reply) {
                                std::lock_guard lock(mutex);
                                edit(reply);
                            }));
    const auto setEdit = [&](std::function<void(std::vector<uint8_t>&)> e) {
        std::lock_guard lock(mutex);
        edit = std::move(e);
    };

    // Warm: an update through the untouched relay first, so that cookies are kept and the
    // failure leads to one new key exchange.
    const struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> edit;
        bool trusted;
        bool warm;
        NtsFailure failure;
        int keyExchanges;
    } cases[] = {
        {"through the relay untouched", [](auto&) {}, true, false, NtsFailure::None, 1},
        {"certificate not trusted", [](auto&) {}, false, false, NtsFailure::CertificateNotTrusted,
         1},
        {"authenticator changed", [](auto& p) { p[p.size() - 20] ^= 0x01; }, true, false,
         NtsFailure::AuthenticationFailed, 1},
        {"authenticator changed, cookies kept", [](auto& p) { p[p.size() - 20] ^= 0x01; }, true,
         true, NtsFailure::AuthenticationFailed, 2},
        {"time changed", [](auto& p) { p[47] ^= 0x01; }, true, true,
         NtsFailure::AuthenticationFailed, 2},
        {"plain SNTP reply", [](auto& p) { p.resize(48); }, true, true,
         NtsFailure::AuthenticationFailed, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.trusted) {
            ::setenv("HORALUX_NTS_CA_FILE", server.certificate().c_str(), 1);
        } else {
            ::unsetenv("HORALUX_NTS_CA_FILE");
        }
        NtsSessions sessions;
        NtsUpdate update(sessions);
        if (c.warm) {
            setEdit([](auto&) {});
            ASSERT_EQ(update.run(server.ntsPort()).result, UpdateResult::Set);
        }
        const int64_t before = update.clock.offsetMillis();
        setEdit(c.edit);
        double took = 0;
        const UpdateOutcome report = update.run(server.ntsPort(), &took);
        EXPECT_EQ(update.ntsFailure(), c.failure) << report.detail;
        EXPECT_EQ(update.f.flags.ntsFailure, static_cast<int32_t>(c.failure));
        EXPECT_EQ(sessions.keyExchanges(), c.keyExchanges);
        EXPECT_LT(took, 4.0);
        if (c.failure == NtsFailure::None) {
            EXPECT_EQ(report.result, UpdateResult::Set) << report.detail;
            EXPECT_GT(relay.replies(), 0);
            continue;
        }
        // The record says the same: the outcome's reason follows the NTS failure.
        EXPECT_EQ(report.result, c.failure == NtsFailure::CertificateNotTrusted
                                     ? UpdateResult::NtsCertificate
                                     : UpdateResult::NtsNotAuthentic);
        EXPECT_EQ(update.f.flags.networkFailed, 1);
        EXPECT_EQ(update.clock.offsetMillis(), before) << "nothing set";
        EXPECT_FALSE(report.detail.empty());
    }

    // horalux-diag says the same in words.
    ::unsetenv("HORALUX_NTS_CA_FILE");
    const CommandResult r =
        test::runDiag("sntp 127.0.0.1 --nts --port " + std::to_string(server.ntsPort()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("not trusted"), std::string::npos) << r.output;
}

// A key-exchange server that is no NTS server: one that answers something else is refused at
// once; one that says nothing ends the update within the key exchange's time-out, as a server
// that cannot be reached.
TEST(NtsKeyExchangeTest, AServerThatIsNoNtsServerIsRefusedInBoundedTime) {
    const struct Case {
        const char* name;
        test::TcpTestServer::Handler handler;
        NtsFailure failure;
        double minSeconds;
        double maxSeconds;
    } cases[] = {
        {"answers in plain text", test::TcpTestServer::sends("HTTP/1.0 400 Bad Request\r\n\r\n"),
         NtsFailure::KeyExchangeRefused, 0.0, 3.0},
        {"closes at once", test::TcpTestServer::closesAtOnce(), NtsFailure::KeyExchangeRefused, 0.0,
         3.0},
        {"says nothing", test::TcpTestServer::staysSilent(), NtsFailure::None, 4.9, 8.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TcpTestServer server;
        ASSERT_TRUE(server.start("127.0.0.1", c.handler));
        NtsSessions sessions;
        NtsUpdate update(sessions);
        double took = 0;
        const UpdateOutcome report = update.run(server.port(), &took);
        EXPECT_NE(report.result, UpdateResult::Set);
        EXPECT_EQ(update.ntsFailure(), c.failure) << report.detail;
        EXPECT_EQ(update.f.flags.networkFailed, 1);
        EXPECT_GE(took, c.minSeconds);
        EXPECT_LT(took, c.maxSeconds);
        EXPECT_EQ(update.clock.offsetMillis(), 0);
        server.stop();
    }
}

}  // namespace
}  // namespace horalux
