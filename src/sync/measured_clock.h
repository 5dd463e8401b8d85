#pragma once

#include <cstdint>
#include <optional>

#include "platform/system_clock.h"
#include "sync/update_outcome.h"

namespace horalux {

// The clock as one update sees it: reads pass through; a setting reads the clock right before it
// sets, so the correction it made (new minus old PC time) is known, and a refusal says why.
class MeasuredClock final : public SystemClock {
  public:
    explicit MeasuredClock(SystemClock& clock) : clock_(clock) {}

    SystemTime utcNow() const override { return clock_.utcNow(); }
    SystemTime localNow() const override { return clock_.localNow(); }
    bool setUtc(const SystemTime& utc) override;

    // The correction of the last setting that took, in milliseconds; nothing before one.
    std::optional<int64_t> correctionMs() const { return correctionMs_; }
    // Why the last setting was refused (PrivilegeMissing for EPERM, else ClockRefused); nothing
    // when no setting was refused.
    std::optional<UpdateResult> refusal() const { return refusal_; }

  private:
    SystemClock& clock_;
    std::optional<int64_t> correctionMs_;
    std::optional<UpdateResult> refusal_;
};

}  // namespace horalux
