#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net_socket.h"
#include "platform/system_clock.h"
#include "platform/time_capability.h"
#include "sync/ntp_timestamp.h"
#include "sync/time_privilege.h"
#include "sync/update_outcome.h"

namespace horalux {

// What one SNTP exchange measured.
struct SntpResult {
    NtpTimestamp t1 = 0;  // the request left the PC (the server echoes it as the originate time)
    NtpTimestamp t2 = 0;  // the server received it
    NtpTimestamp t3 = 0;  // the server sent the reply
    NtpTimestamp t4 = 0;  // the reply reached the PC
    double offset = 0.0;  // seconds to add to the PC's clock
};

// Why a reply is not used; Usable when it is.
enum class SntpReplyCheck {
    Usable,
    TooShort,          // fewer than 48 bytes
    NotServerMode,     // mode is not 4 (server)
    Unsynchronised,    // leap indicator 3: the server has no time to give
    BadStratum,        // stratum 0 (a kiss-o'-death or unsynchronised server) or above 15
    NoTransmitTime,    // the server's transmit timestamp is zero
    OriginateMismatch  // the reply does not echo our request's transmit timestamp
};

// Checks a reply against the request it should answer.
SntpReplyCheck checkSntpReply(const uint8_t* reply, size_t size, NtpTimestamp requestTransmit);
const char* describe(SntpReplyCheck check);

// Sets the PC's clock from a time server with one SNTP exchange (NTP version 3, client mode).
class SntpClient {
  public:
    static constexpr uint16_t kSntpPort = 123;
    static constexpr std::chrono::milliseconds kReplyTimeout{5000};
    static constexpr size_t kPacketSize = 48;
    static constexpr size_t kReceiveSize = 68;  // the packet and room for an authenticator

    SntpClient(SystemClock& clock, TimeCapability& capability);

    // The whole update with the given server (a name may carry ":PORT"): 0 when the clock was
    // set, 1 when the query failed, 2 when the reply was good but the clock was not set.
    int SntpUpdate(const std::string& server);

    // One exchange with the server on port (unless the name carries its own): 1 with result
    // filled, 0 when the name does not resolve, no usable reply came within the reply time-out,
    // or something failed on the way.
    int Query(const std::string& server, SntpResult& result, uint16_t port);

    // The same with addresses already resolved: each is tried in turn while its host reports
    // that nothing listens there, all within one reply time-out.
    int Query(const std::vector<SocketAddress>& addresses, SntpResult& result);

    // Why the last query failed, in words (for diagnostics); empty after a success.
    const std::string& lastFailure() const { return lastFailure_; }
    // How the last update ended (Set, the query's failure, or why the clock was not set).
    UpdateResult lastResult() const { return lastResult_; }
    // What the last answered query measured.
    const SntpResult& lastMeasurement() const { return lastMeasurement_; }

  private:
    enum class Attempt { Answered, Unreachable, Failed };

    Attempt queryOne(const SocketAddress& address, std::chrono::steady_clock::time_point deadline,
                     SntpResult& result);
    Attempt fail(Attempt attempt, UpdateResult result, std::string why);
    // The PC's time as a timestamp; the clock counts whole milliseconds, so a reading stands
    // for the middle of its millisecond.
    NtpTimestamp now() const;

    SystemClock& clock_;
    ScopedTimePrivilege privilege_;
    std::string lastFailure_;
    UpdateResult lastResult_ = UpdateResult::Set;
    SntpResult lastMeasurement_;
};

// The round-trip delay of an exchange in milliseconds: (T4 - T1) - (T3 - T2).
double RoundTripDelayMs(const SntpResult& result);

}  // namespace horalux
