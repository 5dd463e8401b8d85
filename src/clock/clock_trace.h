#pragma once

#include <string>

namespace horalux {

// With HORALUX_TRACE=1 the desktop clock reports on stderr, one "horalux: clock ..." line each,
// what a person would see change: its menu opening and closing with the check marks, a drag
// taking its anchor, the digits' thickness. Tests that drive the real program follow these lines.
class ClockTrace {
  public:
    // On when HORALUX_TRACE begins with 1.
    ClockTrace();
    explicit ClockTrace(bool on) : on_(on) {}

    bool on() const { return on_; }
    // Writes "horalux: clock TEXT" and a newline when on.
    void line(const std::string& text) const;

  private:
    bool on_;
};

}  // namespace horalux
