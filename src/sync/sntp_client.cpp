#include "sync/sntp_client.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/server_name.h"

namespace horalux {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr uint8_t kClientRequest = 0x1B;  // leap indicator 0, version 3, mode 3 (client)
constexpr int kServerMode = 4;
constexpr int kLeapUnsynchronised = 3;
constexpr uint32_t kHalfMillisecond = 2147484;  // 0.5 ms as a fraction of a second
constexpr size_t kOriginateOffset = 24;
constexpr size_t kReceiveOffset = 32;
constexpr size_t kTransmitOffset = 40;

// A few random low bits of the fraction (about 15 microseconds at most), so that a forged reply
// cannot echo our transmit time without having seen the request.
uint32_t fractionNoise() {
    return std::random_device{}() & 0xFFFFu;
}

}  // namespace

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
    if (leap == kLeapUnsynchronised) {
        return SntpReplyCheck::Unsynchronised;
    }
    if (stratum < 1 || stratum > 15) {
        return SntpReplyCheck::BadStratum;
    }
    if (readNtpTimestamp(reply + kTransmitOffset) == 0) {
        return SntpReplyCheck::NoTransmitTime;
    }
    if (readNtpTimestamp(reply + kOriginateOffset) != requestTransmit) {
        return SntpReplyCheck::OriginateMismatch;
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
    }
    return "?";
}

SntpClient::SntpClient(SystemClock& clock, TimeCapability& capability)
    : clock_(clock), privilege_(capability) {}

NtpTimestamp SntpClient::now() const {
    return toNtpTimestamp(clock_.utcNow()) + kHalfMillisecond;
}

double RoundTripDelayMs(const SntpResult& result) {
    return (ntpDifference(result.t4, result.t1) - ntpDifference(result.t3, result.t2)) * 1000.0;
}

int SntpClient::SntpUpdate(const std::string& server) {
    SntpResult result;
    if (Query(server, result, kSntpPort) == 0) {
        return 1;
    }
    lastMeasurement_ = result;
    const NtpTimestamp target = addNtpOffset(now(), result.offset);
    bool set = false;
    if (privilege_.Acquire() != 0) {
        set = clock_.setUtc(fromNtpTimestamp(target));
        lastResult_ = set ? UpdateResult::Set : UpdateResult::ClockRefused;
    } else {
        lastResult_ = UpdateResult::PrivilegeMissing;
    }
    privilege_.Release();
    return set ? 0 : 2;
}

int SntpClient::Query(const std::string& server, SntpResult& result, uint16_t port) {
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

int SntpClient::Query(const std::vector<SocketAddress>& addresses, SntpResult& result) {
    const auto deadline = SteadyClock::now() + kReplyTimeout;
    lastFailure_ = "no address to send to";
    lastResult_ = UpdateResult::ServerUnreachable;
    for (const SocketAddress& address : addresses) {
        switch (queryOne(address, deadline, result)) {
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

SntpClient::Attempt SntpClient::fail(Attempt attempt, UpdateResult result, std::string why) {
    lastFailure_ = std::move(why);
    lastResult_ = result;
    return attempt;
}

SntpClient::Attempt SntpClient::queryOne(const SocketAddress& address,
                                         SteadyClock::time_point deadline, SntpResult& result) {
    const std::string peer = address.text();
    UdpSocket socket;
    if (!socket.connect(address)) {
        return fail(Attempt::Unreachable, UpdateResult::ServerUnreachable,
                    peer + ": " + std::strerror(socket.lastError()));
    }

    std::array<uint8_t, kPacketSize> request{};
    request[0] = kClientRequest;
    // Nothing may lie between reading T1 and sending: the noise is drawn first, and the clock
    // is read once before, because a process's first reading of it may load time-zone data.
    const uint32_t noise = fractionNoise();
    now();
    const NtpTimestamp t1 = now() ^ noise;
    writeNtpTimestamp(request.data() + kTransmitOffset, t1);
    if (!socket.send(request.data(), request.size())) {
        return fail(Attempt::Unreachable, UpdateResult::ServerUnreachable,
                    peer + ": " + std::strerror(socket.lastError()));
    }

    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
    switch (socket.waitReadable(std::max(left, std::chrono::milliseconds{0}))) {
        case UdpSocket::Wait::Readable:
            break;
        case UdpSocket::Wait::TimedOut:
            return fail(Attempt::Failed, UpdateResult::ServerSilent,
                        peer + ": no reply within 5 s");
        case UdpSocket::Wait::Failed:
            return fail(Attempt::Failed, UpdateResult::ServerUnreachable,
                        peer + ": " + std::strerror(socket.lastError()));
    }
    NtpTimestamp t4 = now();

    std::array<uint8_t, kReceiveSize> reply{};
    std::chrono::nanoseconds age{0};
    const ssize_t size = socket.receive(reply.data(), reply.size(), &age);
    if (size < 0) {
        return fail(socket.lastError() == ECONNREFUSED ? Attempt::Unreachable : Attempt::Failed,
                    UpdateResult::ServerUnreachable,
                    peer + ": " + std::strerror(socket.lastError()));
    }
    const SntpReplyCheck check = checkSntpReply(reply.data(), static_cast<size_t>(size), t1);
    if (check != SntpReplyCheck::Usable) {
        return fail(Attempt::Failed, UpdateResult::ServerRefused, peer + ": " + describe(check));
    }

    // The reply arrived before this thread got round to it: T4 is the arrival, when the system
    // tells it (and a clock step has not made the difference meaningless).
    if (age > std::chrono::nanoseconds{0} && age < std::chrono::seconds{1}) {
        t4 -= static_cast<NtpTimestamp>(std::chrono::duration<double>(age).count() * 4294967296.0);
    }

    result.t1 = t1;
    result.t2 = readNtpTimestamp(reply.data() + kReceiveOffset);
    result.t3 = readNtpTimestamp(reply.data() + kTransmitOffset);
    result.t4 = t4;
    result.offset =
        (ntpDifference(result.t2, result.t1) + ntpDifference(result.t3, result.t4)) * 0.5;
    return Attempt::Answered;
}

}  // namespace horalux
