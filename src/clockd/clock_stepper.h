#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "clockd/clock_step_service.h"
#include "platform/linux_time_capability.h"
#include "platform/system_clock.h"

namespace horalux::clockd {

// An offset as the kernel takes a step: whole seconds (rounded down) and a fraction of 0 to
// 999 999 999 nanoseconds added to them; -1.25 s is -2 s and 750 000 000 ns.
struct KernelStep {
    int64_t seconds = 0;
    int64_t nanoseconds = 0;
    friend bool operator==(const KernelStep&, const KernelStep&) = default;
};
KernelStep KernelStepOf(std::chrono::microseconds offset);

// Steps the system clock by an offset in one call that the kernel applies atomically
// (clock_adjtime with ADJ_SETOFFSET), with CAP_SYS_TIME effective only around that call.
class SystemClockStepper final : public ClockStepper {
  public:
    std::string step(std::chrono::microseconds offset) override;

  private:
    LinuxTimeCapability capability_;
};

// Steps the virtual clock of HORALUX_CLOCK_FILE (whole milliseconds), as the program keeps it.
class VirtualClockStepper final : public ClockStepper {
  public:
    explicit VirtualClockStepper(std::string offsetFile) : clock_(std::move(offsetFile)) {}
    std::string step(std::chrono::microseconds offset) override;

  private:
    VirtualSystemClock clock_;
};

// Keeps CAP_SYS_TIME permitted (when it is) and nothing else: not effective until a step raises
// it, no other capability in any set, none to be gained by an exec. Empty when done, else why not.
std::string KeepOnlyTimeCapability();

}  // namespace horalux::clockd
