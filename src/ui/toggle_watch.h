#pragma once

#include <functional>

class QAbstractButton;
class QObject;

namespace horalux {

// Tells the user's changes of radio buttons and check boxes from the program's, so that a window
// stores a setting for each change the user makes, however it was made, and for none it makes
// itself.
//
// The user changes a button with the mouse, the keyboard or an assistive technology's action (a
// screen reader toggles the button without clicking it, so `clicked` alone misses it); all three
// change its state, which is what is watched. The program changes a button while it acts: between
// ProgramActs() and the end of the guard it returns (a window wraps its initialisation, its timer
// ticks and its handlers in one). A modal dialog or menu opened meanwhile runs an event loop of
// its own, and what changes during it is the user's again.
class ToggleWatch {
  public:
    // While it lives, the program is acting (at the event loop level where it began).
    class [[nodiscard]] ProgramGuard {
      public:
        explicit ProgramGuard(ToggleWatch& watch);
        ~ProgramGuard();
        ProgramGuard(const ProgramGuard&) = delete;
        ProgramGuard& operator=(const ProgramGuard&) = delete;

      private:
        ToggleWatch& watch_;
        int saved_;
    };

    ProgramGuard ProgramActs() { return ProgramGuard(*this); }
    // Whether the program is acting now.
    bool programActing() const;

    // Runs `handler` once for each change of the button's state that the user makes, and never
    // for the program's: a check box on each change, a radio button when it becomes checked (a
    // switch within a group is one change, made by the button that gained the check), and also
    // when the user clicks a radio button that is already checked (no change, but a choice made
    // again). The handler runs as the program acting, so what it sets runs no handler. The
    // connections end with `context`.
    void OnUserToggle(QAbstractButton* button, QObject* context, std::function<void()> handler);

  private:
    int actingLoopLevel_ = -1;  // the event loop level where the program acts; -1: it does not
};

}  // namespace horalux
