#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>
#include <cstdint>
#include <string>

namespace horalux {

// Everything the hyperlink control decides, without a window: the target and text it starts
// with, the colour of its text, the rectangle it takes to fit its text, and what a click's
// result leads to. HyperlinkStatic forwards its events here and does what the answers say.
// Colours are 0x00BBGGRR values.
class HyperlinkStaticLogic {
  public:
    static constexpr uint32_t kUnvisitedColour = 0xEE0000;  // blue 238
    static constexpr uint32_t kVisitedColour = 0x8B1A55;    // red 85, green 26, blue 139
    static constexpr unsigned kErrorBeep = 48;              // the exclamation beep

    // `hoverColour`: the desktop's highlight colour.
    explicit HyperlinkStaticLogic(uint32_t hoverColour) : hoverColour_(hoverColour) {}

    // Attaching to a control that shows `controlText`: an empty target becomes the text, and
    // an empty text shows the target. Returns the text the control shows from now on.
    QString Attach(const QString& controlText);
    void SetTarget(const QString& target) { target_ = target; }
    const QString& target() const { return target_; }

    void SetHovering(bool hovering) { hovering_ = hovering; }
    bool hovering() const { return hovering_; }
    void SetVisited(bool visited) { visited_ = visited; }
    bool visited() const { return visited_; }
    bool underline() const { return underline_; }
    bool fitToText() const { return fitToText_; }

    // The highlight colour while the mouse is over the link, else the visited colour once it
    // has been opened, else the unvisited colour.
    uint32_t TextColour() const;

    // The control's rectangle (in its parent's coordinates) shrunk to a text of `text` size:
    // centred vertically when the alignment says so, else from the top; centred horizontally,
    // right-aligned (right edge kept) or left-aligned (left edge kept) by the alignment.
    static QRect FitToText(const QRect& control, QSize text, Qt::Alignment alignment);

    // A click that opened the target with this shell-execute style code: above 32 the link
    // turns visited; otherwise the control beeps and shows ErrorMessage(code).
    struct ClickOutcome {
        bool visited = false;
        bool beep = false;
        std::string message;  // empty: no message
    };
    static ClickOutcome Clicked(int code);

    // "Unable to open hyperlink:\n\n" and the text for the code.
    static std::string ErrorMessage(int code);
    // The text for one code; "Unknown Error (%d) occurred." for codes without one.
    static std::string ErrorText(int code);

  private:
    uint32_t hoverColour_;
    bool hovering_ = false;
    bool visited_ = false;
    bool underline_ = true;
    bool fitToText_ = true;
    QString target_;
};

}  // namespace horalux
