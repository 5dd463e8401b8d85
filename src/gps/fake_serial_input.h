#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "gps/serial_input.h"

namespace horalux {

// A serial port for tests: holds the bytes "received" so far and hands them out in order,
// at most maxPerRead at a time (as a driver that has only part of its queue ready would).
class FakeSerialInput final : public SerialInput {
  public:
    void receive(const std::string& bytes) { pending_ += bytes; }
    void setMaxPerRead(size_t n) { maxPerRead_ = n; }

    size_t readAvailable(uint8_t* buffer, size_t capacity) override {
        ++reads_;
        const size_t n = std::min({capacity, maxPerRead_, pending_.size()});
        std::memcpy(buffer, pending_.data(), n);
        pending_.erase(0, n);
        largestRequest_ = std::max(largestRequest_, capacity);
        return n;
    }

    size_t pending() const { return pending_.size(); }
    int reads() const { return reads_; }
    size_t largestRequest() const { return largestRequest_; }

  private:
    std::string pending_;
    size_t maxPerRead_ = static_cast<size_t>(-1);
    int reads_ = 0;
    size_t largestRequest_ = 0;
};

}  // namespace horalux
