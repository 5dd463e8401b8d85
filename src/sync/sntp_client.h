#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net_socket.h"
#include "platform/system_clock.h"
#include "sync/clock_setter.h"
#include "sync/ntp_timestamp.h"
#include "sync/nts_failure.h"
#include "sync/update_outcome.h"

namespace horalux {

class NtsSessions;

// What one SNTP exchange measured: the sample with the least round trip of its requests.
struct SntpResult {
    NtpTimestamp t1 = 0;  // the request left the PC (by the PC's clock; never sent)
    NtpTimestamp t2 = 0;  // the server received it
    NtpTimestamp t3 = 0;  // the server sent the reply
    NtpTimestamp t4 = 0;  // the reply reached the PC
    double offset = 0.0;  // seconds to add to the PC's clock
    double delay = 0.0;   // the round trip less the server's own time, seconds
    int samples = 0;      // usable replies the choice was made from
};

// The time an exchange spent on the network, in seconds: (T4 - T1) - (T3 - T2).
double RoundTripSeconds(const SntpResult& r);

// What the last NTS exchange used, for diagnostics.
struct NtsExchangeInfo {
    std::string server;      // the NTP server the key exchange named
    uint16_t port = 0;       // and its port
    size_t cookiesLeft = 0;  // kept for the next exchange
    bool keyExchanged = false;
};

// Why a reply is not used; Usable when it is.
enum class SntpReplyCheck {
    Usable,
    TooShort,           // fewer than 48 bytes
    NotServerMode,      // mode is not 4 (server)
    Unsynchronised,     // leap indicator 3: the server has no time to give
    BadStratum,         // stratum 0 (a kiss-o'-death or unsynchronised server) or above 15
    NoTransmitTime,     // the server's transmit timestamp is zero
    OriginateMismatch,  // the reply does not echo our request's transmit timestamp
    // Authenticated requests (NTS):
    NtsNak,                   // the server could not read our cookie (kiss code "NTSN")
    NotAuthenticated,         // a reply without an authenticator
    MalformedExtensionField,  // an extension field that is short, misaligned or overruns
    WrongUniqueIdentifier,    // the reply does not carry our request's unique identifier
    BadAuthenticator,         // the authenticator does not verify
};

// Whether a check says the server itself refused (so that asking it again now is pointless).
bool isServerRefusal(SntpReplyCheck check);

// Checks a reply's header against the request it should answer, whose transmit timestamp was
// requestTransmit.
SntpReplyCheck checkSntpReply(const uint8_t* reply, size_t size, NtpTimestamp requestTransmit);
const char* describe(SntpReplyCheck check);

// What an authenticated exchange adds to each request and checks in each reply (NTS).
class SntpAuthentication {
  public:
    virtual ~SntpAuthentication() = default;
    // Appends the request's extension fields to the 48-byte header; false when no further
    // request can be made (no cookie left).
    virtual bool prepare(std::vector<uint8_t>& request) = 0;
    // Checks a reply to the request prepared last, whose header passed its own checks or is a
    // kiss-o'-death; Usable when it authenticates.
    virtual SntpReplyCheck check(const uint8_t* reply, size_t size) = 0;
};

// Sets the PC's clock from a time server by SNTP (NTP version 3 client requests, or version 4
// with NTS). Each exchange sends up to kRequests requests a short interval apart and keeps the
// reply with the least round trip; the reply time-out bounds the whole exchange.
class SntpClient {
  public:
    static constexpr uint16_t kSntpPort = 123;
    static constexpr std::chrono::milliseconds kReplyTimeout{5000};
    static constexpr size_t kPacketSize = 48;
    static constexpr size_t kReceiveSize = 2048;  // room for NTS extension fields
    static constexpr int kRequests = 4;
    static constexpr std::chrono::milliseconds kRequestSpacing{25};
    // Once a reply is in, a later one that takes longer than this (or four times the best round
    // trip) is not waited for: the server may limit its rate or the request was lost.
    static constexpr std::chrono::milliseconds kLateReply{250};

    // Reads the PC's time from `clock` and sets it through `setter`.
    SntpClient(SystemClock& clock, ClockSetter& setter);

    // The whole update with the given server (a name may carry ":PORT"): 0 when the clock was
    // set, 1 when the query failed, 2 when the reply was good but the clock was not set.
    int SntpUpdate(const std::string& server);
    // The same authenticated by NTS: server names the key-exchange server (port 4460 unless it
    // carries its own); what nts keeps for it is used and renewed.
    int SntpUpdate(const std::string& server, NtsSessions& nts);

    // One exchange with the server on port (unless the name carries its own): 1 with result
    // filled, 0 when the name does not resolve, no usable reply came within the reply time-out,
    // or something failed on the way.
    int Query(const std::string& server, SntpResult& result, uint16_t port);

    // The same with addresses already resolved: each is tried in turn while its host reports
    // that nothing listens there, all within one reply time-out. With authentication every
    // request carries its fields and every reply must pass its check.
    int Query(const std::vector<SocketAddress>& addresses, SntpResult& result,
              SntpAuthentication* authentication = nullptr);

    // One NTS exchange: a key exchange with server on kePort (unless the name carries its own)
    // when nts keeps nothing usable for it, then the exchange with the NTP server it named.
    int QueryNts(const std::string& server, SntpResult& result, uint16_t kePort, NtsSessions& nts);

    // How many requests an exchange sends at most (kRequests; 1 for a single sample, as
    // measurements compare).
    void setRequestsPerExchange(int requests) { requests_ = std::max(1, requests); }

    // Why the last query failed, in words (for diagnostics); empty after a success.
    const std::string& lastFailure() const { return lastFailure_; }
    // Why the last NTS query failed, for the user; None after a success or a plain failure.
    NtsFailure lastNtsFailure() const { return lastNtsFailure_; }
    const NtsExchangeInfo& lastNtsExchange() const { return lastNts_; }
    // The sample the last update or query chose (samples 0 when there was none).
    const SntpResult& lastMeasurement() const { return lastMeasurement_; }
    // How the last update or query ended: Set (answered, and for an update the clock taken), or
    // why not.
    UpdateResult lastResult() const { return lastResult_; }

  private:
    enum class Attempt { Answered, Unreachable, Failed };

    Attempt exchange(const SocketAddress& address, std::chrono::steady_clock::time_point deadline,
                     SntpAuthentication* authentication, SntpResult& result);
    Attempt fail(Attempt attempt, UpdateResult result, std::string why);
    int failNts(NtsFailure failure, UpdateResult result, std::string why);
    int setClock(const SntpResult& result);
    // The PC's time as a timestamp; the clock counts whole milliseconds, so a reading stands
    // for the middle of its millisecond.
    NtpTimestamp now() const;

    SystemClock& clock_;
    ClockSetter& setter_;
    std::string lastFailure_;
    SntpReplyCheck lastRefusal_ = SntpReplyCheck::Usable;  // the last reply refused, if any
    NtsFailure lastNtsFailure_ = NtsFailure::None;
    NtsExchangeInfo lastNts_;
    SntpResult lastMeasurement_;
    UpdateResult lastResult_ = UpdateResult::Set;
    int requests_ = kRequests;
};

}  // namespace horalux
