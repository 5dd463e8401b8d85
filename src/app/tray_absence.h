#pragma once

#include <cstdint>

namespace horalux {

// Whether to tell the user that the desktop has no notification area (system tray). At log-in
// the program may start before the panel that hosts its icon, so it waits: the notice comes once,
// when no tray has been seen by the end of the grace period after start, and never once one was.
class TrayAbsence {
  public:
    static constexpr int64_t kGraceMs = 10000;
    static constexpr int kCheckPeriodMs = 500;

    // One look, `elapsedMs` after start: true exactly once, when the notice is due.
    bool Check(bool trayAvailable, int64_t elapsedMs);
    // Decided either way: no further looks are needed.
    bool decided() const { return state_ != State::Watching; }
    bool noticed() const { return state_ == State::Noticed; }

  private:
    enum class State { Watching, Present, Noticed };
    State state_ = State::Watching;
};

}  // namespace horalux
