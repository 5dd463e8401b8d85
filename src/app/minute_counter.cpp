#include "app/minute_counter.h"

namespace horalux {

MinuteCounter::MinuteCounter(uint16_t rate)
    : count_(rate == 1 ? uint16_t{1} : static_cast<uint16_t>(rate - 1)) {}

bool MinuteCounter::OnLocalMinute(uint16_t minute, uint16_t rate) {
    if (minute == lastMinute_) {
        return false;
    }
    lastMinute_ = minute;
    ++count_;
    if (count_ < rate) {
        return false;
    }
    count_ = 0;
    return true;
}

}  // namespace horalux
