#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

#include "platform/clock_helper.h"
#include "platform/system_clock.h"
#include "platform/system_time.h"
#include "platform/time_capability.h"

namespace horalux {

// How the program sets the clock.
enum class ClockPath {
    Direct,   // this process holds CAP_SYS_TIME and sets the clock itself
    Virtual,  // the virtual clock of HORALUX_CLOCK_FILE, a file of ours: no privilege needed
    Helper,   // the clock helper on the system bus, for callers whom polkit allows
};

struct ClockPathFacts {
    bool virtualClock = false;    // HORALUX_CLOCK_FILE is set
    bool helperForced = false;    // HORALUX_USE_CLOCK_HELPER=1: the helper even on a virtual clock
    bool timeCapability = false;  // CAP_SYS_TIME is permitted to this process
};

// The helper when forced; else the virtual clock when there is one; else the process itself when
// it holds the capability (the tray program never does: it drops every capability at start);
// else the helper.
ClockPath ChooseClockPath(const ClockPathFacts& facts);

// Why a clock setting did or did not happen.
enum class ClockSetResult {
    Set,
    NoHelper,       // no privilege here, and no clock helper installed (or no system bus)
    NotAuthorized,  // the helper asked polkit, which refused
    HelperFailed,   // the helper failed or did not answer; the detail names its D-Bus error
    ClockRefused,   // the system (or the virtual clock's file) did not take the new time
};

struct ClockSetOutcome {
    ClockSetResult result = ClockSetResult::Set;
    std::string detail;  // the system's or the helper's own words, when not set

    bool set() const { return result == ClockSetResult::Set; }
    friend bool operator==(const ClockSetOutcome&, const ClockSetOutcome&) = default;
};

// The outcome of one request to the helper, from its answer.
ClockSetOutcome OutcomeOfHelperAnswer(const ClockHelperAnswer& answer);

// One correction of the clock, in the two forms the paths need: the time to set, and the same as a
// step from the clock's reading that the target was worked out from. A step is exact however long
// it takes to reach the clock (the helper may wait for polkit).
struct ClockCorrection {
    SystemTime target;
    std::chrono::microseconds step{0};
};

// The step from `reading` to `target`.
ClockCorrection CorrectionFrom(const SystemTime& reading, const SystemTime& target);

// Sets the clock by the path chosen at start. Every clock update goes through here, so the last
// outcome tells why the clock was or was not set; the worker hands it on.
class ClockSetter {
  public:
    // The process sets the clock itself, raising the capability around the setting.
    ClockSetter(SystemClock& clock, TimeCapability& capability)
        : ClockSetter(clock, capability, ClockPath::Direct, nullptr) {}
    ClockSetter(SystemClock& clock, TimeCapability& capability, ClockPath path,
                ClockHelper* helper);

    // Waits (bounded) for the helper on its path; `stop`, or cancel() when no `stop` is given,
    // ends that wait.
    ClockSetOutcome apply(const ClockCorrection& correction, const std::stop_token& stop = {});
    // Ends every wait for the helper, now and later: the program is ending.
    void cancel() { cancel_.request_stop(); }

    ClockPath path() const { return path_; }

    // The last outcome since forget(); none when no setting was tried.
    std::optional<ClockSetOutcome> lastOutcome() const;
    // The step the last setting since forget() made: the new time minus the reading it was worked
    // out from; none when no setting took.
    std::optional<std::chrono::microseconds> lastStep() const;
    void forget();

  private:
    ClockSetOutcome applyByPath(const ClockCorrection& correction, const std::stop_token& stop);

    SystemClock& clock_;
    TimeCapability& capability_;
    ClockPath path_;
    ClockHelper* helper_;
    std::stop_source cancel_;
    mutable std::mutex mutex_;
    std::optional<ClockSetOutcome> last_;
    std::optional<std::chrono::microseconds> lastStep_;
};

}  // namespace horalux
