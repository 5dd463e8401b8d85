#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace horalux::clockd {

// polkit's answer for one caller.
struct AuthorityAnswer {
    enum class Verdict {
        Allowed,
        Denied,       // polkit says no (also when the person at the desk dismissed the prompt)
        Unavailable,  // polkit is not there, failed or did not answer in time
    };
    Verdict verdict = Verdict::Unavailable;
    std::string detail;  // why, when not allowed
};

// Asks whether the caller on the bus may take the action.
class Authority {
  public:
    virtual ~Authority() = default;
    virtual AuthorityAnswer check(const std::string& busName, const std::string& action) = 0;
};

// Steps the clock (the system clock, or the virtual clock of a test).
class ClockStepper {
  public:
    virtual ~ClockStepper() = default;
    // Empty when done, else why not.
    virtual std::string step(std::chrono::microseconds offset) = 0;
};

// One request as it came over the bus.
struct StepRequest {
    std::string sender;  // the caller's unique bus name, which polkit is asked about
    uint32_t uid = 0;
    int32_t pid = 0;
    int64_t offsetUs = 0;
};

// The answer to send: success, or a D-Bus error with its message.
struct StepReply {
    bool stepped = false;
    std::string errorName;
    std::string message;
};

// The helper's one decision, free of the bus: an offset beyond a century either way is refused
// before anyone is asked; otherwise polkit decides, and only an allowed caller's clock step is
// made. Every request leaves one line in the log: what was stepped or refused, for which uid and
// pid.
class ClockStepService {
  public:
    using Log = std::function<void(const std::string& line)>;

    ClockStepService(Authority& authority, ClockStepper& stepper, Log log)
        : authority_(authority), stepper_(stepper), log_(std::move(log)) {}

    StepReply handle(const StepRequest& request);

  private:
    StepReply refuse(const StepRequest& request, const char* errorName, std::string message);

    Authority& authority_;
    ClockStepper& stepper_;
    Log log_;
};

// An offset in seconds with its sign and six decimals: "+2.500000 s".
std::string SecondsText(int64_t offsetUs);

}  // namespace horalux::clockd
