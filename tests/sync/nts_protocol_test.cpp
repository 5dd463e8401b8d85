// NTS in pieces: the key exchange's records, the NTP extension fields and their checks, AES-SIV
// through GnuTLS, and the cookie jar. The server's side is played by the tests with the same
// building blocks and keys of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "network_fixture.h"
#include "sync/nts_cookie_jar.h"
#include "sync/nts_extension_fields.h"
#include "sync/nts_ke_records.h"
#include "sync/nts_session.h"

namespace horalux {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes record(uint16_t type, const Bytes& body, bool critical = true) {
    const uint16_t t = static_cast<uint16_t>(type | (critical ? ntske::kCritical : 0));
    Bytes out{static_cast<uint8_t>(t >> 8), static_cast<uint8_t>(t),
              static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kNtp = record(ntske::kNextProtocol, {0, 0});
const Bytes kAead = record(ntske::kAeadAlgorithm, {0, 15});
const Bytes kEnd = record(ntske::kEndOfMessage, {});
Bytes cookie(uint8_t fill) {
    return record(ntske::kNewCookie, Bytes(100, fill), false);
}

TEST(NtsKeRecordsTest, OurRequestAsksForNtpV4WithAesSivAndEnds) {
    EXPECT_EQ(encodeNtsKeRequest(), (Bytes{0x80, 1, 0, 2, 0, 0,   // next protocol: NTPv4
                                           0x80, 4, 0, 2, 0, 15,  // AEAD_AES_SIV_CMAC_256
                                           0x80, 0, 0, 0}));      // end of message
}

TEST(NtsKeRecordsTest, ReadsAResponseOrSaysWhyNot) {
    using State = NtsKeResponse::State;
    const struct Case {
        const char* name;
        Bytes response;
        State state;
        NtsKeRefusal refusal;
    } cases[] = {
        {"minimal", kNtp + kAead + cookie(1) + kEnd, State::Complete, NtsKeRefusal::None},
        {"any order, unknown plain record passed over",
         cookie(1) + record(0x4000, {1, 2, 3}, false) + kAead + kNtp + kEnd, State::Complete,
         NtsKeRefusal::None},
        {"end of message not critical", kNtp + kAead + cookie(1) + record(0, {}, false),
         State::Complete, NtsKeRefusal::None},
        {"nothing yet", {}, State::Incomplete, NtsKeRefusal::None},
        {"half a header", Bytes{0x80, 1}, State::Incomplete, NtsKeRefusal::None},
        {"half a body", Bytes(kNtp.begin(), kNtp.end() - 1), State::Incomplete, NtsKeRefusal::None},
        {"no end yet", kNtp + kAead + cookie(1), State::Incomplete, NtsKeRefusal::None},
        {"unknown critical record", kNtp + record(0x4000, {}) + kAead + cookie(1) + kEnd,
         State::Refused, NtsKeRefusal::UnknownCriticalRecord},
        {"error record", record(ntske::kError, {0, 1}) + kEnd, State::Refused,
         NtsKeRefusal::ErrorRecord},
        {"warning record", kNtp + record(ntske::kWarning, {0, 7}) + kEnd, State::Refused,
         NtsKeRefusal::WarningRecord},
        {"missing AEAD", kNtp + cookie(1) + kEnd, State::Refused, NtsKeRefusal::NoAead},
        {"empty AEAD: none agreed", kNtp + record(4, {}) + cookie(1) + kEnd, State::Refused,
         NtsKeRefusal::AeadNotSupported},
        {"AEAD we did not offer", kNtp + record(4, {0, 30}) + cookie(1) + kEnd, State::Refused,
         NtsKeRefusal::AeadNotSupported},
        {"missing next protocol", kAead + cookie(1) + kEnd, State::Refused,
         NtsKeRefusal::NoNextProtocol},
        {"empty next protocol: none agreed", record(1, {}) + kAead + cookie(1) + kEnd,
         State::Refused, NtsKeRefusal::NtpNotOffered},
        {"another protocol", record(1, {0x80, 1}) + kAead + cookie(1) + kEnd, State::Refused,
         NtsKeRefusal::NtpNotOffered},
        {"odd protocol list", record(1, {0, 0, 0}) + kAead + cookie(1) + kEnd, State::Refused,
         NtsKeRefusal::BadRecord},
        {"repeated next protocol", kNtp + kNtp + kAead + cookie(1) + kEnd, State::Refused,
         NtsKeRefusal::RepeatedRecord},
        {"no cookies", kNtp + kAead + kEnd, State::Refused, NtsKeRefusal::NoCookies},
        {"empty cookie", kNtp + kAead + record(5, {}) + kEnd, State::Refused,
         NtsKeRefusal::BadRecord},
        {"end of message with a body", kNtp + kAead + cookie(1) + record(0, {0}), State::Refused,
         NtsKeRefusal::BadRecord},
        {"port of three bytes", kNtp + kAead + cookie(1) + record(7, {0, 1, 2}) + kEnd,
         State::Refused, NtsKeRefusal::BadRecord},
        {"port 0", kNtp + kAead + cookie(1) + record(7, {0, 0}) + kEnd, State::Refused,
         NtsKeRefusal::BadRecord},
        {"server with a blank", kNtp + kAead + cookie(1) + record(6, {'a', ' ', 'b'}) + kEnd,
         State::Refused, NtsKeRefusal::BadRecord},
        {"empty server", kNtp + kAead + cookie(1) + record(6, {}) + kEnd, State::Refused,
         NtsKeRefusal::BadRecord},
        {"too long", record(0x4000, Bytes(ntske::kMaxResponse, 0), false), State::Refused,
         NtsKeRefusal::TooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const NtsKeResponse r = parseNtsKeResponse(c.response.data(), c.response.size());
        EXPECT_EQ(r.state, c.state);
        EXPECT_EQ(r.refusal, c.refusal) << describe(r.refusal);
        if (r.state == State::Refused) {
            EXPECT_TRUE(r.cookies.empty());
            EXPECT_STRNE(describe(r.refusal), "");
        }
    }
}

TEST(NtsKeRecordsTest, TakesServerPortErrorCodeAndAtMostEightCookies) {
    Bytes response =
        kNtp + kAead + record(6, {'n', 't', 'p', '.', 'e', 'x'}) + record(7, {0x30, 0x39});
    for (uint8_t i = 0; i < 10; ++i) {
        response = response + cookie(i);
    }
    const NtsKeResponse r = parseNtsKeResponse(response.data(), (response + kEnd).size() - 4);
    EXPECT_EQ(r.state, NtsKeResponse::State::Incomplete);
    response = response + kEnd;
    const NtsKeResponse done = parseNtsKeResponse(response.data(), response.size());
    ASSERT_EQ(done.state, NtsKeResponse::State::Complete);
    EXPECT_EQ(done.server, "ntp.ex");
    EXPECT_EQ(done.port, 12345);
    EXPECT_EQ(done.aead, 15);
    ASSERT_EQ(done.cookies.size(), 8u);
    EXPECT_EQ(done.cookies.front(), Bytes(100, 0));
    EXPECT_EQ(done.cookies.back(), Bytes(100, 7));

    const Bytes error = record(ntske::kError, {0, 2}) + kEnd;
    EXPECT_EQ(parseNtsKeResponse(error.data(), error.size()).errorCode, 2);
    const Bytes bare = kNtp + kAead + cookie(3) + kEnd;
    const NtsKeResponse plain = parseNtsKeResponse(bare.data(), bare.size());
    EXPECT_EQ(plain.server, "");  // the key-exchange server itself
    EXPECT_FALSE(plain.port);     // port 123
}

// The server's side of an exchange, made with the same pieces: a reply to request by the keys.
struct FakeNtsServer {
    NtsKey clientKey{};
    NtsKey serverKey{};

    FakeNtsServer() {
        for (size_t i = 0; i < 32; ++i) {
            clientKey[i] = static_cast<uint8_t>(i);
            serverKey[i] = static_cast<uint8_t>(0xA0 + i);
        }
    }

    // The request's unique identifier, when its authenticator verifies by the client's key.
    std::optional<Bytes> open(const Bytes& request) const {
        const auto fields = parseExtensionFields(request.data() + 48, request.size() - 48);
        if (!fields || fields->empty() || fields->back().type != ntsef::kAuthenticator) {
            return std::nullopt;
        }
        const ExtensionField& auth = fields->back();
        const size_t nonce = (auth.body[0] << 8) | auth.body[1];
        const size_t sealed = (auth.body[2] << 8) | auth.body[3];
        if (!sivOpen(clientKey, auth.body + 4, nonce, request.data(), 48 + auth.offset,
                     auth.body + 4 + ((nonce + 3) & ~3u), sealed)) {
            return std::nullopt;
        }
        return Bytes(fields->front().body, fields->front().body + fields->front().size);
    }

    // A server reply carrying uid and, sealed, the given new cookies.
    Bytes reply(const Bytes& request, const Bytes& uid, size_t cookies = 1) const {
        Bytes packet = test::sntp::replyAhead(request, 1.0, test::sntp::kSecond * 3000000000ull);
        packet[0] = 0x24;  // version 4, server
        appendExtensionField(packet, ntsef::kUniqueIdentifier, uid.data(), uid.size());
        Bytes hidden;
        for (size_t i = 0; i < cookies; ++i) {
            const Bytes c(40, static_cast<uint8_t>(0xC0 + i));
            appendExtensionField(hidden, ntsef::kCookie, c.data(), c.size());
        }
        const Bytes nonce(16, 0x55);
        const auto sealed = sivSeal(serverKey, nonce, packet.data(), packet.size(), hidden);
        Bytes body{0, 16, static_cast<uint8_t>(sealed->size() >> 8),
                   static_cast<uint8_t>(sealed->size())};
        body = body + nonce + *sealed;
        appendExtensionField(packet, ntsef::kAuthenticator, body.data(), body.size());
        return packet;
    }
};

Bytes ntsRequest(const FakeNtsServer& server, const Bytes& uid, const Bytes& cookie,
                 size_t placeholders) {
    Bytes request(48, 0);
    request[40] = 0x12;  // the random transmit
    EXPECT_TRUE(
        appendNtsRequestFields(request, uid, cookie, placeholders, server.clientKey, Bytes(16, 9)));
    return request;
}

TEST(NtsExtensionFieldsTest, ARequestCarriesItsFieldsSealedByTheClientKey) {
    FakeNtsServer server;
    const Bytes uid(32, 0x11);
    const Bytes request = ntsRequest(server, uid, Bytes(100, 0x77), 2);
    EXPECT_EQ(request[0], 0x23);  // version 4, client
    const auto fields = parseExtensionFields(request.data() + 48, request.size() - 48);
    ASSERT_TRUE(fields);
    std::vector<uint16_t> types;
    for (const ExtensionField& f : *fields) {
        types.push_back(f.type);
    }
    EXPECT_EQ(types, (std::vector<uint16_t>{ntsef::kUniqueIdentifier, ntsef::kCookie,
                                            ntsef::kCookiePlaceholder, ntsef::kCookiePlaceholder,
                                            ntsef::kAuthenticator}));
    EXPECT_EQ((*fields)[1].size, 100u);
    EXPECT_EQ((*fields)[2].size, 100u);  // a placeholder is as long as the cookie
    EXPECT_EQ(server.open(request), uid);

    // Any byte changed before the authenticator breaks it.
    for (const size_t at : {size_t{0}, size_t{40}, size_t{60}, size_t{150}}) {
        Bytes changed = request;
        changed[at] ^= 0x01;
        EXPECT_FALSE(server.open(changed)) << "byte " << at;
    }
    // A short cookie is padded to the least field size.
    const Bytes small = ntsRequest(server, uid, Bytes(3, 1), 0);
    EXPECT_EQ(small.size(), 48u + 36 + 16 + 40);
}

// Every way a reply can fail to be ours and authentic, each refused with its reason.
TEST(NtsExtensionFieldsTest, AReplyMustCarryOurIdentifierAndAuthenticate) {
    FakeNtsServer server;
    const Bytes uid(32, 0x11);
    const Bytes request = ntsRequest(server, uid, Bytes(100, 0x77), 0);
    const Bytes good = server.reply(request, uid, 3);
    const size_t authenticator = good.size() - 4 - 4 - 16 - (16 + 3 * 44);

    const struct Case {
        const char* name;
        std::function<void(Bytes&)> edit;
        SntpReplyCheck check;
    } cases[] = {
        {"authentic", [](Bytes&) {}, SntpReplyCheck::Usable},
        {"plain SNTP reply", [](Bytes& p) { p.resize(48); }, SntpReplyCheck::NotAuthenticated},
        {"header changed", [](Bytes& p) { p[33] ^= 1; }, SntpReplyCheck::BadAuthenticator},
        {"identifier changed", [](Bytes& p) { p[48 + 10] ^= 1; },
         SntpReplyCheck::WrongUniqueIdentifier},
        {"sealed text changed", [](Bytes& p) { p.back() ^= 1; }, SntpReplyCheck::BadAuthenticator},
        {"tag changed", [=](Bytes& p) { p[authenticator + 4 + 4 + 16] ^= 1; },
         SntpReplyCheck::BadAuthenticator},
        {"nonce changed", [=](Bytes& p) { p[authenticator + 8] ^= 1; },
         SntpReplyCheck::BadAuthenticator},
        {"trailing bytes", [](Bytes& p) { p.push_back(0); },
         SntpReplyCheck::MalformedExtensionField},
        {"field shorter than 16", [](Bytes& p) { p[48 + 3] = 12; },
         SntpReplyCheck::MalformedExtensionField},
        {"field length not a multiple of 4", [](Bytes& p) { p[48 + 3] = 37; },
         SntpReplyCheck::MalformedExtensionField},
        {"field overruns the packet", [](Bytes& p) { p[48 + 2] = 0x40; },
         SntpReplyCheck::MalformedExtensionField},
        {"sealed length overruns the field", [=](Bytes& p) { p[authenticator + 6] = 0x10; },
         SntpReplyCheck::MalformedExtensionField},
        {"no nonce", [=](Bytes& p) { p[authenticator + 5] = 0; },
         SntpReplyCheck::MalformedExtensionField},
        {"sealed text shorter than a tag", [=](Bytes& p) { p[authenticator + 7] = 15; },
         SntpReplyCheck::MalformedExtensionField},
        {"header only", [](Bytes& p) { p.resize(47); }, SntpReplyCheck::TooShort},
        {"NTS NAK",
         [](Bytes& p) {
             p.resize(48 + 36);  // the identifier, no authenticator
             p[1] = 0;
             std::copy_n("NTSN", 4, p.begin() + 12);
         },
         SntpReplyCheck::NtsNak},
        {"NAK for someone else",
         [](Bytes& p) {
             p.resize(48 + 36);
             p[1] = 0;
             std::copy_n("NTSN", 4, p.begin() + 12);
             p[60] ^= 1;
         },
         SntpReplyCheck::NotAuthenticated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes reply = good;
        c.edit(reply);
        const NtsReplyCheck r = checkNtsReply(reply.data(), reply.size(), uid, server.serverKey);
        EXPECT_EQ(r.check, c.check) << describe(r.check);
        EXPECT_EQ(r.cookies.size(), c.check == SntpReplyCheck::Usable ? 3u : 0u);
    }
    // Sealed by the client's key instead of the server's: not authentic.
    EXPECT_EQ(checkNtsReply(good.data(), good.size(), uid, server.clientKey).check,
              SntpReplyCheck::BadAuthenticator);
    // Fields after the authenticator are not authenticated and not looked at.
    Bytes extended = good;
    const Bytes extra(16, 0);
    appendExtensionField(extended, 0x0204, extra.data(), extra.size());
    EXPECT_EQ(checkNtsReply(extended.data(), extended.size(), uid, server.serverKey).cookies.size(),
              3u);
}

TEST(NtsCookieJarTest, SendsEachCookieOnceOldestFirstAndAsksForWhatItLacks) {
    NtsCookieJar jar;
    EXPECT_FALSE(jar.take());
    EXPECT_EQ(jar.placeholdersWanted(), 7u);  // a request with its one cookie asks for 7 more
    for (uint8_t i = 0; i < 10; ++i) {
        jar.add(Bytes(4, i));
    }
    jar.add({});  // an empty cookie is none
    EXPECT_EQ(jar.size(), NtsCookieJar::kCapacity);
    EXPECT_EQ(jar.take(), Bytes(4, 2));  // the two oldest made room
    EXPECT_EQ(jar.placeholdersWanted(), 0u);
    for (int i = 0; i < 4; ++i) {
        jar.take();
    }
    EXPECT_EQ(jar.size(), 3u);
    EXPECT_EQ(jar.placeholdersWanted(), 4u);  // 3 kept + 1 sent + 4 asked = 8 after the reply
    NtsCookieJar moved = std::move(jar);
    EXPECT_EQ(moved.size(), 3u);
    moved.clear();
    EXPECT_TRUE(moved.empty());
}

// Requests made under an association use its cookies one by one and put the reply's new ones
// back; a reply that does not authenticate brings nothing into the jar.
TEST(NtsCookieJarTest, EachExchangeSpendsOneCookieAndBanksTheNewOnes) {
    FakeNtsServer server;
    NtsAssociation association;
    association.clientKey = server.clientKey;
    association.serverKey = server.serverKey;
    association.cookies.add(Bytes(100, 1));
    association.cookies.add(Bytes(100, 2));
    NtsAuthentication authentication(association);

    Bytes request(48, 0);
    ASSERT_TRUE(authentication.prepare(request));
    EXPECT_EQ(association.cookies.size(), 1u);
    const auto fields = parseExtensionFields(request.data() + 48, request.size() - 48);
    ASSERT_TRUE(fields);
    EXPECT_EQ(Bytes((*fields)[1].body, (*fields)[1].body + 100), Bytes(100, 1));
    EXPECT_EQ(std::count_if(fields->begin(), fields->end(),
                            [](const auto& f) { return f.type == ntsef::kCookiePlaceholder; }),
              6);
    const auto uid = server.open(request);
    ASSERT_TRUE(uid);
    EXPECT_EQ(authentication.check(server.reply(request, *uid, 7).data(),
                                   server.reply(request, *uid, 7).size()),
              SntpReplyCheck::Usable);
    EXPECT_EQ(association.cookies.size(), 8u);

    // The next request has a new identifier; the old reply does not answer it.
    Bytes next(48, 0);
    ASSERT_TRUE(authentication.prepare(next));
    EXPECT_NE(server.open(next), uid);
    const Bytes stale = server.reply(request, *uid, 7);
    EXPECT_EQ(authentication.check(stale.data(), stale.size()),
              SntpReplyCheck::WrongUniqueIdentifier);
    EXPECT_EQ(association.cookies.size(), 7u);

    association.cookies.clear();
    Bytes none(48, 0);
    EXPECT_FALSE(authentication.prepare(none));
    EXPECT_TRUE(authentication.ranOutOfCookies());
}

TEST(NtsSessionsTest, KeepsOneAssociationPerServerForLaterUpdates) {
    NtsSessions sessions;
    EXPECT_FALSE(sessions.take("a:4460"));
    for (int i = 0; i < 10; ++i) {
        NtsAssociation a;
        a.ntpPort = static_cast<uint16_t>(1000 + i);
        sessions.keep("s" + std::to_string(i) + ":4460", std::move(a));
    }
    EXPECT_FALSE(sessions.take("s0:4460"));  // the oldest made room
    EXPECT_FALSE(sessions.take("s1:4460"));
    auto kept = sessions.take("s9:4460");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->ntpPort, 1009);
    EXPECT_FALSE(sessions.take("s9:4460"));  // taken out while in use
    sessions.keep("s9:4460", std::move(*kept));
    sessions.forget("s9:4460");
    EXPECT_FALSE(sessions.take("s9:4460"));
}

}  // namespace
}  // namespace horalux
