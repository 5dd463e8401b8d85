#pragma once

#include <mutex>
#include <vector>

#include "platform/clock_helper.h"

namespace horalux {

// A clock helper for tests: answers every request with a chosen answer and records the steps it
// was asked for. Safe to use from the worker's thread.
class FakeClockHelper final : public ClockHelper {
  public:
    ClockHelperAnswer step(std::chrono::microseconds offset, const std::stop_token&) override {
        std::lock_guard lock(mutex_);
        steps_.push_back(offset);
        return answer_;
    }
    void setAnswer(ClockHelperAnswer answer) {
        std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
    }
    std::vector<std::chrono::microseconds> steps() const {
        std::lock_guard lock(mutex_);
        return steps_;
    }

  private:
    mutable std::mutex mutex_;
    ClockHelperAnswer answer_{ClockHelperAnswer::Status::Stepped, {}, {}};
    std::vector<std::chrono::microseconds> steps_;
};

}  // namespace horalux
