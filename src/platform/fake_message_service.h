#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_service.h"

namespace horalux {

// Records message boxes, questions and beeps instead of showing them. Questions are recorded
// with the boxes and answered from the answers queued by the test, No when none is left.
class FakeMessageService final : public MessageService {
  public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style;
    };

    void messageBox(const std::string& text, const std::string& caption, unsigned style) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({text, caption, style});
    }
    bool askYesNo(const std::string& text, const std::string& caption, unsigned style) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back({text, caption, style});
        if (answers_.empty()) {
            return false;
        }
        const bool yes = answers_.front();
        answers_.pop_front();
        return yes;
    }
    void beep(unsigned type) override {
        std::lock_guard lock(mutex_);
        beeps_.push_back(type);
    }

    // The answer to the next question not yet answered (true: Yes).
    void queueAnswer(bool yes) {
        std::lock_guard lock(mutex_);
        answers_.push_back(yes);
    }

    std::vector<Box> boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }
    std::vector<unsigned> beeps() const {
        std::lock_guard lock(mutex_);
        return beeps_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        boxes_.clear();
        beeps_.clear();
        answers_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<unsigned> beeps_;
    std::deque<bool> answers_;
};

}  // namespace horalux
