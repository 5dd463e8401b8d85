#pragma once

#include <string>

namespace horalux {

// Message box styles and beep types, with the platform's values.
enum MessageStyle : unsigned {
    kMessageOk = 0x00,
    kIconStop = 0x10,
    kIconQuestion = 0x20,
    kIconExclamation = 0x30,
    kIconInformation = 0x40,
};

// Message boxes and beeps for the user. The program shows fixed texts through it; tests record
// what would have been shown.
class MessageService {
  public:
    virtual ~MessageService() = default;

    // A modal message box with one OK button. An empty caption means the default caption.
    virtual void messageBox(const std::string& text, const std::string& caption,
                            unsigned style) = 0;
    // The system beep of the given type (0 = default beep, kIconStop = stop beep).
    virtual void beep(unsigned type) = 0;
    // A modal question with Yes and No buttons: true for Yes. An empty caption means the default
    // caption. Where no answer can be had (no desktop, another thread) the text is shown as a
    // message box where possible and the answer is No, which changes nothing.
    virtual bool askYesNo(const std::string& text, const std::string& caption, unsigned style) {
        messageBox(text, caption, style);
        return false;
    }
};

}  // namespace horalux
