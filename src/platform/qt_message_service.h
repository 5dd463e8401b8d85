#pragma once

#include <QString>

#include "platform/message_service.h"

namespace horalux {

// Message boxes and beeps on the desktop: a QMessageBox with one OK button and the icon that the
// style asks for, and the desktop's beep.
class QtMessageService final : public MessageService {
  public:
    // A box asked for from a thread other than the UI thread is queued to the UI thread and shown
    // from its event loop; the caller does not wait for it.
    void messageBox(const std::string& text, const std::string& caption, unsigned style) override;
    void beep(unsigned type) override;
    // Yes and No: Enter answers Yes, Escape No. Only the UI thread can wait for an answer:
    // asked from another thread the text is shown as a plain box and the answer is No.
    bool askYesNo(const std::string& text, const std::string& caption, unsigned style) override;

    // The caption a box gets when none is given: the application's display name, or "Error" when
    // the application has none.
    static QString defaultCaption();
};

}  // namespace horalux
