#pragma once

#include <cstdint>

namespace horalux {

// Counts the changes of the local clock's minute towards the next periodic clock update.
//
// The counter starts one short of the rate (at 1 for a rate of 1) and the last minute seen starts
// at 0, so the first update comes on the first tick unless the program starts within minute 0 of
// an hour, in which case it comes at the first minute change; after that every `rate` minute
// changes. The comparison is counter >= rate on unsigned numbers, so a rate lowered on the pages
// below the counter gives an update at the next minute change.
class MinuteCounter {
  public:
    explicit MinuteCounter(uint16_t rate);

    // Called on every tick with the local minute and the current rate: true when an update is due
    // (the counter then starts again from 0).
    bool OnLocalMinute(uint16_t minute, uint16_t rate);

    uint16_t count() const { return count_; }

  private:
    uint16_t count_;
    uint16_t lastMinute_ = 0;
};

}  // namespace horalux
