#pragma once

#include <atomic>

#include "platform/time_capability.h"

namespace horalux {

// A capability for tests: answers raise() with a chosen result and counts the calls.
class FakeTimeCapability final : public TimeCapability {
  public:
    explicit FakeTimeCapability(Result answer = Result::Raised) : answer_(answer) {}

    Result raise() override {
        ++raises;
        if (answer_ == Result::Raised) {
            raised = true;
        }
        return answer_;
    }
    void lower() override {
        ++lowers;
        raised = false;
    }
    void setAnswer(Result answer) { answer_ = answer; }

    std::atomic<int> raises{0};
    std::atomic<int> lowers{0};
    std::atomic<bool> raised{false};

  private:
    std::atomic<Result> answer_;
};

}  // namespace horalux
