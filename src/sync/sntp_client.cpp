#include "sync/sntp_client.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/random_bytes.h"
#include "platform/server_name.h"
#include "sync/nts_key_exchange.h"
#include "sync/nts_session.h"

namespace horalux {

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint8_t kClientRequest = 0x1B;  // leap indicator 0, version 3, mode 3 (client)
constexpr int kServerMode = 4;
constexpr int kLeapUnsynchronised = 3;
constexpr uint32_t kHalfMillisecond = 2147484;  // 0.5 ms as a fraction of a second
constexpr size_t kOriginateOffset = 24;
constexpr size_t kReceiveOffset = 32;
constexpr size_t kTransmitOffset = 40;

milliseconds until(SteadyClock::time_point deadline) {
    return std::max(std::chrono::ceil<milliseconds>(deadline - SteadyClock::now()),
                    milliseconds{0});
}

}  // namespace

bool isServerRefusal(SntpReplyCheck check) {
    return check == SntpReplyCheck::Unsynchronised || check == SntpReplyCheck::BadStratum ||
           check == SntpReplyCheck::NtsNak;
}

SntpReplyCheck checkSntpReply(const uint8_t* reply, size_t size, NtpTimestamp requestTransmit) {
    if (size < SntpClient::kPacketSize) {
        return SntpReplyCheck::TooShort;
    }
    const int leap = reply[0] >> 6;
    const int mode = reply[0] & 0x07;
    const int stratum = reply[1];
    if (mode != kServerMode) {
        return SntpReplyCheck::NotServerMode;
    }
    // Only a reply that answers our request may end the exchange, however it looks.
    if (readNtpTimestamp(reply + kOriginateOffset) != requestTransmit) {
        return SntpReplyCheck::OriginateMismatch;
    }
    if (leap == kLeapUnsynchronised) {
        return SntpReplyCheck::Unsynchronised;
    }
    if (stratum < 1 || stratum > 15) {
        return SntpReplyCheck::BadStratum;
    }
    if (readNtpTimestamp(reply + kTransmitOffset) == 0) {
        return SntpReplyCheck::NoTransmitTime;
    }
    return SntpReplyCheck::Usable;
}

const char* describe(SntpReplyCheck check) {
    switch (check) {
        case SntpReplyCheck::Usable:
            return "usable reply";
        case SntpReplyCheck::TooShort:
            return "reply shorter than 48 bytes";
        case SntpReplyCheck::NotServerMode:
            return "reply not in server mode";
        case SntpReplyCheck::Unsynchronised:
            return "server not synchronised (leap indicator 3)";
        case SntpReplyCheck::BadStratum:
            return "server stratum outside 1 to 15";
        case SntpReplyCheck::NoTransmitTime:
            return "reply without a transmit time";
        case SntpReplyCheck::OriginateMismatch:
            return "reply does not answer our request (originate time differs)";
        case SntpReplyCheck::NtsNak:
            return "server could not read our NTS cookie (NTS NAK)";
        case SntpReplyCheck::NotAuthenticated:
            return "reply without an NTS authenticator";
        case SntpReplyCheck::MalformedExtensionField:
            return "reply with a malformed extension field";
        case SntpReplyCheck::WrongUniqueIdentifier:
            return "reply does not carry our unique identifier";
        case SntpReplyCheck::BadAuthenticator:
            return "reply's NTS authenticator does not verify";
    }
    return "?";
}

double RoundTripSeconds(const SntpResult& r) {
    return ntpDifference(r.t4, r.t1) - ntpDifference(r.t3, r.t2);
}

SntpClient::SntpClient(SystemClock& clock, ClockSetter& setter) : clock_(clock), setter_(setter) {}

NtpTimestamp SntpClient::now() const {
    return toNtpTimestamp(clock_.utcNow()) + kHalfMillisecond;
}

int SntpClient::SntpUpdate(const std::string& server) {
    SntpResult result;
    if (Query(server, result, kSntpPort) == 0) {
        return 1;
    }
    return setClock(result);
}

int SntpClient::SntpUpdate(const std::string& server, NtsSessions& nts) {
    SntpResult result;
    if (QueryNts(server, result, kNtsKeyExchangePort, nts) == 0) {
        return 1;
    }
    return setClock(result);
}

int SntpClient::setClock(const SntpResult& result) {
    const NtpTimestamp target = addNtpOffset(now(), result.offset);
    // The measured offset is the step itself: the helper's path needs no second reading.
    const ClockCorrection correction{fromNtpTimestamp(target),
                                     std::chrono::microseconds{std::llround(result.offset * 1e6)}};
    const bool set = setter_.apply(correction).set();
    lastResult_ = set ? UpdateResult::Set : UpdateResult::ClockRefused;
    return set ? 0 : 2;
}

int SntpClient::Query(const std::string& server, SntpResult& result, uint16_t port) {
    lastNtsFailure_ = NtsFailure::None;
    const auto name = parseServerName(server, port);
    if (!name) {
        lastFailure_ = "not a server name: '" + server + "'";
        lastResult_ = UpdateResult::BadServerName;
        return 0;
    }
    const auto addresses = resolveHost(name->host, name->port, SocketKind::Datagram);
    if (addresses.empty()) {
        lastFailure_ = "cannot resolve '" + name->host + "'";
        lastResult_ = UpdateResult::NameNotFound;
        return 0;
    }
    return Query(addresses, result);
}

int SntpClient::Query(const std::vector<SocketAddress>& addresses, SntpResult& result,
                      SntpAuthentication* authentication) {
    const auto deadline = SteadyClock::now() + kReplyTimeout;
    lastFailure_ = "no address to send to";
    lastResult_ = UpdateResult::ServerUnreachable;
    lastMeasurement_ = {};
    for (const SocketAddress& address : addresses) {
        switch (exchange(address, deadline, authentication, result)) {
            case Attempt::Answered:
                lastFailure_.clear();
                lastResult_ = UpdateResult::Set;
                return 1;
            case Attempt::Failed:
                return 0;
            case Attempt::Unreachable:
                break;  // nothing there: try the next address
        }
    }
    return 0;
}

int SntpClient::failNts(NtsFailure failure, UpdateResult result, std::string why) {
    lastNtsFailure_ = failure;
    lastResult_ = result;
    lastFailure_ = std::move(why);
    return 0;
}

// A key exchange when nothing usable is kept for the server, then the exchange with the NTP
// server it named. A NAK, a jar without cookies or replies that do not authenticate lead to
// one new key exchange at most; a server that does not answer keeps what is left for next time.
int SntpClient::QueryNts(const std::string& server, SntpResult& result, uint16_t kePort,
                         NtsSessions& nts) {
    lastNtsFailure_ = NtsFailure::None;
    lastNts_ = {};
    const auto name = parseServerName(server, kePort);
    if (!name) {
        return failNts(NtsFailure::None, UpdateResult::BadServerName,
                       "not a server name: '" + server + "'");
    }
    const std::string key = name->host + ":" + std::to_string(name->port);
    std::optional<NtsAssociation> association = nts.take(key);
    for (;;) {
        if (!association || association->cookies.empty()) {
            if (lastNts_.keyExchanged) {
                return failNts(NtsFailure::NoCookies, UpdateResult::NtsNoCookies,
                               key + ": no cookies");
            }
            lastNts_.keyExchanged = true;
            nts.countKeyExchange();
            NtsKeyExchangeResult exchanged = runNtsKeyExchange(*name);
            switch (exchanged.transport) {
                case TlsClient::Result::Ok:
                    break;
                case TlsClient::Result::Unreachable:
                case TlsClient::Result::TimedOut:
                    return failNts(NtsFailure::None, UpdateResult::ServerUnreachable,
                                   exchanged.detail);
                case TlsClient::Result::CertificateNotTrusted:
                    return failNts(NtsFailure::CertificateNotTrusted, UpdateResult::NtsCertificate,
                                   exchanged.detail);
                case TlsClient::Result::ProtocolRefused:
                case TlsClient::Result::Failed:
                    return failNts(NtsFailure::KeyExchangeRefused, UpdateResult::NtsRefused,
                                   exchanged.detail);
            }
            if (!exchanged.association) {
                const bool noCookies = exchanged.refusal == NtsKeRefusal::NoCookies;
                return failNts(noCookies ? NtsFailure::NoCookies : NtsFailure::KeyExchangeRefused,
                               noCookies ? UpdateResult::NtsNoCookies : UpdateResult::NtsRefused,
                               exchanged.detail);
            }
            association = std::move(exchanged.association);
        }
        lastNts_.server = association->ntpHost;
        lastNts_.port = association->ntpPort;
        const auto addresses =
            resolveHost(association->ntpHost, association->ntpPort, SocketKind::Datagram);
        if (addresses.empty()) {
            nts.forget(key);
            return failNts(NtsFailure::None, UpdateResult::NameNotFound,
                           "cannot resolve '" + association->ntpHost + "'");
        }
        NtsAuthentication authentication(*association);
        const int answered = Query(addresses, result, &authentication);
        lastNts_.cookiesLeft = association->cookies.size();
        if (answered == 1) {
            nts.keep(key, std::move(*association));
            return 1;
        }
        const bool refused = lastRefusal_ == SntpReplyCheck::NtsNak ||
                             lastRefusal_ == SntpReplyCheck::NotAuthenticated ||
                             lastRefusal_ == SntpReplyCheck::WrongUniqueIdentifier ||
                             lastRefusal_ == SntpReplyCheck::BadAuthenticator ||
                             lastRefusal_ == SntpReplyCheck::MalformedExtensionField;
        if (!refused && !authentication.ranOutOfCookies()) {
            nts.keep(key, std::move(*association));  // no answer: the cookies left stay good
            return 0;
        }
        if (lastNts_.keyExchanged) {
            if (lastRefusal_ == SntpReplyCheck::NtsNak) {
                return failNts(NtsFailure::KeyExchangeRefused, UpdateResult::NtsRefused,
                               lastFailure_);
            }
            if (refused) {
                return failNts(NtsFailure::AuthenticationFailed, UpdateResult::NtsNotAuthentic,
                               lastFailure_);
            }
            return failNts(NtsFailure::NoCookies, UpdateResult::NtsNoCookies, lastFailure_);
        }
        association.reset();  // start again with a new key exchange
    }
}

SntpClient::Attempt SntpClient::fail(Attempt attempt, UpdateResult result, std::string why) {
    lastFailure_ = std::move(why);
    lastResult_ = result;
    return attempt;
}

// Up to kRequests requests, one after the other: each waits for its reply (the first until the
// deadline, later ones only a short while), and a reply that fails a check ends its request.
// The sample with the least round-trip delay wins.
SntpClient::Attempt SntpClient::exchange(const SocketAddress& address,
                                         SteadyClock::time_point deadline,
                                         SntpAuthentication* authentication, SntpResult& result) {
    const std::string peer = address.text();
    UdpSocket socket;
    if (!socket.connect(address)) {
        return fail(Attempt::Unreachable, UpdateResult::ServerUnreachable,
                    peer + ": " + std::strerror(socket.lastError()));
    }
    now();  // a process's first reading of the clock may load time-zone data: not between T1
            // and the send

    SntpResult best;
    std::string refusal;
    lastRefusal_ = SntpReplyCheck::Usable;
    std::vector<uint8_t> request;
    std::array<uint8_t, kReceiveSize> reply{};
    for (int i = 0; i < requests_; ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(std::min(kRequestSpacing, until(deadline)));
        }
        request.assign(kPacketSize, 0);
        request[0] = kClientRequest;
        // The transmit field carries 64 random bits: it tells an observer nothing of the PC's
        // clock, and a forged reply cannot echo it without having seen the request.
        const NtpTimestamp nonce = random64();
        writeNtpTimestamp(request.data() + kTransmitOffset, nonce);
        if (authentication != nullptr && !authentication->prepare(request)) {
            break;  // no cookie left for another request
        }
        const NtpTimestamp t1 = now();
        const auto sent = SteadyClock::now();
        if (!socket.send(request.data(), request.size())) {
            if (best.samples > 0) {
                break;
            }
            return fail(Attempt::Unreachable, UpdateResult::ServerUnreachable,
                        peer + ": " + std::strerror(socket.lastError()));
        }

        auto waitUntil = deadline;
        if (best.samples > 0) {
            const auto late = std::max<SteadyClock::duration>(
                kLateReply, std::chrono::duration_cast<SteadyClock::duration>(
                                std::chrono::duration<double>(4 * best.delay)));
            waitUntil = std::min(deadline, sent + late);
        }
        const UdpSocket::Wait wait = socket.waitReadable(until(waitUntil));
        if (wait == UdpSocket::Wait::Failed) {
            return fail(Attempt::Failed, UpdateResult::ServerUnreachable,
                        peer + ": " + std::strerror(socket.lastError()));
        }
        if (wait == UdpSocket::Wait::TimedOut) {
            if (best.samples == 0 && refusal.empty()) {
                return fail(Attempt::Failed, UpdateResult::ServerSilent,
                            peer + ": no reply within 5 s");
            }
            break;  // use what came in
        }
        NtpTimestamp t4 = now();

        reply.fill(0);
        std::chrono::nanoseconds age{0};
        const ssize_t size = socket.receive(reply.data(), reply.size(), &age);
        if (size < 0) {
            if (best.samples > 0) {
                break;
            }
            return fail(socket.lastError() == ECONNREFUSED ? Attempt::Unreachable : Attempt::Failed,
                        UpdateResult::ServerUnreachable,
                        peer + ": " + std::strerror(socket.lastError()));
        }
        SntpReplyCheck check = checkSntpReply(reply.data(), static_cast<size_t>(size), nonce);
        if (authentication != nullptr &&
            (check == SntpReplyCheck::Usable || check == SntpReplyCheck::BadStratum ||
             check == SntpReplyCheck::Unsynchronised)) {
            // A kiss-o'-death is looked at too: an NTS NAK carries our identifier, and any
            // other counts only when it authenticates.
            const SntpReplyCheck authentic =
                authentication->check(reply.data(), static_cast<size_t>(size));
            if (authentic != SntpReplyCheck::Usable) {
                check = authentic;
            }
        }
        if (check != SntpReplyCheck::Usable) {
            refusal = describe(check);
            lastRefusal_ = check;
            if (isServerRefusal(check)) {
                break;
            }
            continue;
        }

        // The reply arrived before this thread got round to it: T4 is the arrival, when the
        // system tells it (and a clock step has not made the difference meaningless).
        if (age > std::chrono::nanoseconds{0} && age < std::chrono::seconds{1}) {
            t4 -= static_cast<NtpTimestamp>(std::chrono::duration<double>(age).count() *
                                            4294967296.0);
        }
        SntpResult sample;
        sample.t1 = t1;
        sample.t2 = readNtpTimestamp(reply.data() + kReceiveOffset);
        sample.t3 = readNtpTimestamp(reply.data() + kTransmitOffset);
        sample.t4 = t4;
        sample.offset =
            (ntpDifference(sample.t2, sample.t1) + ntpDifference(sample.t3, sample.t4)) * 0.5;
        sample.delay = RoundTripSeconds(sample);
        sample.samples = best.samples + 1;
        if (best.samples == 0 || sample.delay < best.delay) {
            best = sample;
        }
        best.samples = sample.samples;
    }

    if (best.samples == 0) {
        return fail(Attempt::Failed,
                    refusal.empty() ? UpdateResult::ServerSilent : UpdateResult::ServerRefused,
                    peer + ": " + (refusal.empty() ? "no reply" : refusal));
    }
    result = best;
    lastMeasurement_ = best;
    return Attempt::Answered;
}

}  // namespace horalux
