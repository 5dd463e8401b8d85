#include "ui/hyperlink_static_logic.h"

#include <array>
#include <utility>

namespace horalux {

QString HyperlinkStaticLogic::Attach(const QString& controlText) {
    if (target_.isEmpty()) {
        target_ = controlText;
    }
    return controlText.isEmpty() ? target_ : controlText;
}

uint32_t HyperlinkStaticLogic::TextColour() const {
    if (hovering_) {
        return hoverColour_;
    }
    return visited_ ? kVisitedColour : kUnvisitedColour;
}

QRect HyperlinkStaticLogic::FitToText(const QRect& control, QSize text, Qt::Alignment alignment) {
    QRect fitted = control;
    if (alignment & Qt::AlignVCenter) {
        fitted.setTop(control.top() + (control.height() - text.height()) / 2);
    }
    fitted.setHeight(text.height());
    if (alignment & Qt::AlignHCenter) {
        fitted.setLeft(control.left() + (control.width() - text.width()) / 2);
        fitted.setWidth(text.width());
    } else if (alignment & Qt::AlignRight) {
        fitted.setLeft(control.left() + control.width() - text.width());
    } else {
        fitted.setWidth(text.width());
    }
    return fitted;
}

HyperlinkStaticLogic::ClickOutcome HyperlinkStaticLogic::Clicked(int code) {
    if (code > 32) {
        return {true, false, {}};
    }
    return {false, true, ErrorMessage(code)};
}

std::string HyperlinkStaticLogic::ErrorMessage(int code) {
    return "Unable to open hyperlink:\n\n" + ErrorText(code);
}

std::string HyperlinkStaticLogic::ErrorText(int code) {
    static constexpr std::array<std::pair<int, const char*>, 13> kTexts{{
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30,
         "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
         "being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
    }};
    for (const auto& [known, text] : kTexts) {
        if (known == code) {
            return text;
        }
    }
    return "Unknown Error (" + std::to_string(code) + ") occurred.";
}

}  // namespace horalux
