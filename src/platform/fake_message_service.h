#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/message_service.h"

namespace horalux {

// Records message boxes and beeps instead of showing them.
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
    void beep(unsigned type) override {
        std::lock_guard lock(mutex_);
        beeps_.push_back(type);
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
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::vector<unsigned> beeps_;
};

}  // namespace horalux
