#include "platform/fake_system_clock.h"

#include <cerrno>

namespace horalux {

FakeSystemClock::FakeSystemClock(const SystemTime& utc, int localOffsetMinutes)
    : now_(toUnixMillis(utc)), localOffsetMinutes_(localOffsetMinutes) {}

SystemTime FakeSystemClock::utcNow() const {
    return utcFromUnixMillis(now_.load());
}

SystemTime FakeSystemClock::localNow() const {
    return utcFromUnixMillis(now_.load() + int64_t{localOffsetMinutes_.load()} * 60000);
}

bool FakeSystemClock::setUtc(const SystemTime& utc) {
    if (!allowSetting_) {
        errno = EPERM;  // as clock_settime without the privilege
        return false;
    }
    if (!isValidSystemTime(utc)) {
        errno = EINVAL;
        return false;
    }
    now_ = toUnixMillis(utc);
    std::lock_guard lock(mutex_);
    settings_.push_back(utc);
    return true;
}

void FakeSystemClock::setNow(const SystemTime& utc) {
    now_ = toUnixMillis(utc);
}

void FakeSystemClock::advance(int64_t millis) {
    now_ += millis;
}

std::vector<SystemTime> FakeSystemClock::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

size_t FakeSystemClock::settingCount() const {
    std::lock_guard lock(mutex_);
    return settings_.size();
}

}  // namespace horalux
