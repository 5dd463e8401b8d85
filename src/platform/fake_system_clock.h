#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/system_clock.h"

namespace horalux {

// A clock for tests: stands still until advanced or set, with a fixed local offset. Safe to read
// and set from several threads.
class FakeSystemClock final : public SystemClock {
  public:
    // Starts at the given UTC moment; local time is UTC plus localOffsetMinutes.
    explicit FakeSystemClock(const SystemTime& utc = {2001, 3, 0, 18, 19, 53, 17, 0},
                             int localOffsetMinutes = 0);

    SystemTime utcNow() const override;
    SystemTime localNow() const override;
    bool setUtc(const SystemTime& utc) override;

    void setNow(const SystemTime& utc);  // moves the clock without recording a setting
    void advance(int64_t millis);
    int64_t nowMillis() const { return now_.load(); }
    void setLocalOffsetMinutes(int minutes) { localOffsetMinutes_ = minutes; }
    // When false, setUtc refuses as a system without the privilege would.
    void setAllowSetting(bool allow) { allowSetting_ = allow; }

    std::vector<SystemTime> settings() const;  // every record passed to a successful setUtc
    size_t settingCount() const;

  private:
    std::atomic<int64_t> now_;
    std::atomic<int> localOffsetMinutes_;
    std::atomic<bool> allowSetting_{true};
    mutable std::mutex mutex_;
    std::vector<SystemTime> settings_;
};

}  // namespace horalux
