#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/message_service.h"

namespace horalux::diag {

// A whole number written as nothing else (no sign of its own besides '-', no trailing text).
std::optional<int> WholeNumber(const std::string& text);

// The sentence named by --time-source: "gga" 0, "rmc" 1, "zda" 2 (the "UseTimrFrom" values).
std::optional<int16_t> TimeSourceNamed(const std::string& name);
// The name of a "UseTimrFrom" value, "gga" for any unknown one.
const char* TimeSourceName(int16_t timeSource);

// What the serial port would say in a window ("cannot open ...") goes to stderr, after the
// command's name.
class StderrMessages final : public MessageService {
  public:
    explicit StderrMessages(std::string command) : command_(std::move(command)) {}
    void messageBox(const std::string& text, const std::string& caption, unsigned) override;
    void beep(unsigned) override {}

  private:
    std::string command_;
};

}  // namespace horalux::diag
