#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_clock.h"
#include "sync/clock_setter.h"
#include "sync/sync_flags.h"
#include "sync/update_outcome.h"

namespace horalux {

// The parts of a Daytime reply in the NIST one-line format that set the clock, e.g.
// "51986 01-03-18 19:53:17 00 0 0 725.6 UTC(NIST) *": a UTC date and time to the second and the
// advance in milliseconds.
struct DaytimeReply {
    int year = 0;  // four digits: YY below 70 is 20YY, otherwise 19YY
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    double advanceMs = 0.0;

    friend bool operator==(const DaytimeReply&, const DaytimeReply&) = default;
};

// Reads the received text (up to its first NUL byte) as the NIST format's tokens: modified
// Julian date, YY-MM-DD, HH:MM:SS, daylight-saving code, leap-second warning, health, advance.
// Nothing when a token is missing, a date or time field is not a whole number or lies outside
// the calendar (month 13, hour 25, 30 February), or the advance is not a number from 0 to
// DaytimeClient::kMaxAdvanceMs.
std::optional<DaytimeReply> ParseDaytimeReply(std::string_view text);

// The outcome of connecting to a Daytime server and receiving once.
struct DaytimeExchange {
    enum class Status {
        Received,      // text holds what the server sent
        NotConnected,  // bad name, name not resolved, connection refused or timed out
        NoReply,       // connected, but the server closed without data, failed or said nothing
    };
    Status status = Status::NotConnected;
    std::string text;
    int error = 0;  // errno of the failure, when there is one
};

// Sets the PC's clock from a Daytime server (TCP, NIST one-line format).
class DaytimeClient {
  public:
    static constexpr std::chrono::milliseconds kConnectTimeout{5000};
    static constexpr std::chrono::milliseconds kReceiveTimeout{5000};
    static constexpr size_t kMaxReplySize = 51;
    static constexpr double kMaxAdvanceMs = 1000.0;

    // Reads the PC's time from `clock` and sets it through `setter`.
    DaytimeClient(SystemClock& clock, SyncFlags& flags, ClockSetter& setter);

    // One whole update with the server on port (unless the name carries ":PORT"): 1 when the
    // clock was set, else 0. networkFailed becomes 1 when the server could not be reached and 0
    // as soon as it has sent something; it stays as it was when the server sent nothing.
    int Update(const std::string& server, int port);

    // Connects and receives once (at most kMaxReplySize bytes); touches neither flags nor clock.
    static DaytimeExchange Exchange(const std::string& server, int port);

    // Waits out the reply's advance (whole milliseconds), then sets the clock to the reply's
    // date and second with milliseconds 0. 1 when the clock took it.
    int SetClock(const DaytimeReply& reply);

    // How the last update ended: Set, or why the clock was not set.
    UpdateResult lastResult() const { return lastResult_; }

  private:
    SystemClock& clock_;
    SyncFlags& flags_;
    ClockSetter& setter_;
    UpdateResult lastResult_ = UpdateResult::Set;
};

}  // namespace horalux
