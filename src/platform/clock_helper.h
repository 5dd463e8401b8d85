#pragma once

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>

namespace horalux {

// The clock helper, horalux-clockd: a small privileged program on the system bus that steps the
// clock for callers whom polkit allows. The program holds no privilege; it asks the helper.
namespace clock_helper {

inline constexpr char kBusName[] = "example.quorvane.Horalux.Clock1";
inline constexpr char kObjectPath[] = "/example/quorvane/Horalux/Clock1";
inline constexpr char kInterface[] = "example.quorvane.Horalux.Clock1";
// StepClock(x offset_us): steps the clock by a signed offset in microseconds. Relative, so the
// time the request spends on the bus (or waiting for a password) does not matter.
inline constexpr char kStepMethod[] = "StepClock";
// The polkit action the helper asks about for every request.
inline constexpr char kPolkitAction[] = "example.quorvane.horalux.set-clock";

// The errors it answers with.
inline constexpr char kNotAuthorized[] = "example.quorvane.Horalux.Clock1.Error.NotAuthorized";
inline constexpr char kAuthorizationUnavailable[] =
    "example.quorvane.Horalux.Clock1.Error.AuthorizationUnavailable";
inline constexpr char kInvalidOffset[] = "example.quorvane.Horalux.Clock1.Error.InvalidOffset";
inline constexpr char kStepFailed[] = "example.quorvane.Horalux.Clock1.Error.StepFailed";

// The largest step either way: a century. A PC whose clock battery has died starts at its
// firmware's epoch (1970 at the earliest), and the first correction from there is still well
// within it; anything beyond is a bad number, not a clock error.
inline constexpr std::chrono::microseconds kMaxStep{36524LL * 24 * 3600 * 1000000};

// How long the helper lets polkit take: it may ask the person at the desk for a password.
inline constexpr std::chrono::seconds kAuthorizationTimeout{25};
// How long the program waits for the helper's answer: longer than the helper gives polkit, so
// the program hears why rather than a time-out.
inline constexpr std::chrono::seconds kAnswerTimeout{30};

}  // namespace clock_helper

// What came back from one request to the helper.
struct ClockHelperAnswer {
    enum class Status {
        Stepped,   // the helper stepped the clock
        Error,     // the bus or the helper answered with the error `errorName`
        NoBus,     // no system bus to ask on
        TimedOut,  // no answer within the wait
        Stopped,   // the caller asked to stop waiting (the program ends)
    };
    Status status = Status::Error;
    std::string errorName;  // a D-Bus error name, when status is Error
    std::string message;    // the error's message, or why there was no answer
};

// Asks the clock helper to step the clock.
class ClockHelper {
  public:
    virtual ~ClockHelper() = default;
    // Blocks the calling thread until the helper answers, the wait runs out or `stop` is
    // requested.
    virtual ClockHelperAnswer step(std::chrono::microseconds offset,
                                   const std::stop_token& stop) = 0;
};

// The helper over the system bus (DBUS_SYSTEM_BUS_ADDRESS when set) through sd-bus, one
// connection per request, so any thread may ask. The bus starts the helper when it is not
// running.
class BusClockHelper final : public ClockHelper {
  public:
    explicit BusClockHelper(std::chrono::milliseconds wait = clock_helper::kAnswerTimeout)
        : wait_(wait) {}
    ClockHelperAnswer step(std::chrono::microseconds offset, const std::stop_token& stop) override;

    // Whether the helper can be reached, without asking it anything: Stepped when the bus knows
    // its name (running, or to be started on request), else an answer as step() would give, e.g.
    // the bus's ServiceUnknown. Bounded by kLookTimeout.
    static ClockHelperAnswer look();
    static constexpr std::chrono::seconds kLookTimeout{2};

  private:
    std::chrono::milliseconds wait_;
};

}  // namespace horalux
