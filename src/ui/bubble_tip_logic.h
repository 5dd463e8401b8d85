#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace horalux {

// The outline of the balloon for one client rectangle, in the window's coordinates. Edges are
// given as the window system counts them: a rectangle's right and bottom lie one past its last
// pixel, so for a 100 x 100 client the pointer's far corner is (74, 100).
struct BubbleShape {
    bool below = false;               // balloon below the mouse, pointer at the top
    QRect textArea;                   // where the text block is centred
    QRect body;                       // the rounded body
    int cornerSize = 15;              // width and height of the body's corner ellipse
    std::array<QPoint, 3> pointer{};  // the pointer triangle; its tip lands on the mouse
    int horizontalOffset = 0;         // from the mouse position to the window's top-left
    int verticalOffset = 0;
};

// Everything the sheet's bubble tip decides, without a window: which control the mouse rests on,
// the 100 ms state machine that shows the balloon after a second and hides it five seconds later,
// the balloon's shape and where it goes on the screen. The window that shows it forwards mouse,
// key and timer events here and does what the answers say.
class BubbleTipLogic {
  public:
    using ToolId = const void*;  // a registered control; compared, never dereferenced

    static constexpr int kTickMs = 100;
    static constexpr int kHoverDelay = 10;   // ticks before the balloon appears
    static constexpr int kDisplayTime = 50;  // ticks it stays up
    static constexpr int kClientSize = 100;  // the balloon's width and height for short texts
    static constexpr int kMaxClientWidth = 300;

    enum class State {
        Idle = 1,     // nothing to show
        Waiting = 2,  // the mouse rests on a control; counting towards the hover delay
        Shown = 3,    // the balloon is up; counting towards the display time
        Spent = 4,    // shown long enough, or dismissed by a click or key: stays hidden
    };

    // What the window has to do after a relayed event or a tick.
    enum class Action {
        None,
        Hide,  // hide the balloon if it is visible
        Show,  // show the balloon at the mouse position (see place())
    };

    struct Placement {
        BubbleShape shape;
        QPoint topLeft;  // where the window goes, already kept on the screen
    };

    // Registers or replaces the tip text of a control.
    void addTool(ToolId control, std::string text);
    // Forgets a control (it is being destroyed). When the mouse was on it, the balloon goes.
    Action removeTool(ToolId control);
    bool isTool(ToolId window) const;
    // The text of a control, empty when it has none.
    std::string toolText(ToolId control) const;
    // The text of the control the mouse was last over.
    std::string currentText() const { return toolText(currentTool_); }

    // The mouse moved over a window of the sheet other than the balloon itself; `window` is that
    // window, whether registered or not.
    Action mouseMoved(ToolId window);
    // A key press, or a left or right button press anywhere in the sheet.
    void keyOrButtonPressed();
    // The 100 ms timer.
    Action tick();

    // Where and in which shape the balloon shows for the mouse at `mouse` on `screen`, with a
    // client area of `clientSize`. Nothing when tips are disabled or when no window of this
    // program has the keyboard focus. The first showing is always "above"; "below" is chosen
    // when the previous showing's vertical offset would put the balloon above the screen.
    std::optional<Placement> place(QPoint mouse, const QRect& screen, QSize clientSize,
                                   bool programHasFocus);

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    State state() const { return state_; }
    bool overTool() const { return overTool_; }
    ToolId currentTool() const { return currentTool_; }
    int ticksShown() const { return ticksShown_; }
    int ticksHovered() const { return ticksHovered_; }
    int horizontalOffset() const { return horizontalOffset_; }
    int verticalOffset() const { return verticalOffset_; }

    // The two shapes for a client rectangle.
    static BubbleShape aboveShape(const QRect& client);
    static BubbleShape belowShape(const QRect& client);
    // Moves a window of `size` at `topLeft` back onto `screen`: right edge to the screen's right
    // edge, else left edge to its left; the same vertically.
    static QPoint keepOnScreen(QPoint topLeft, QSize size, const QRect& screen);
    // A text block of `block` centred in `area`.
    static QRect centredText(const QRect& area, QSize block);
    // The client size for a text whose word-wrapped block at a given width `measure` returns:
    // 100 x 100 when it fits there; otherwise the narrowest width up to 300 (in steps of 20) at
    // which it fits the same height; otherwise 300 wide and as tall as the text needs.
    static QSize fitClientSize(const std::function<QSize(int textWidth)>& measure);

  private:
    static void count(int& ticks) {
        if (ticks < INT_MAX) {
            ++ticks;
        }
    }

    std::unordered_map<ToolId, std::string> tools_;
    State state_ = State::Idle;
    int ticksShown_ = 0;
    int ticksHovered_ = 0;
    bool overTool_ = false;
    ToolId currentTool_ = nullptr;
    ToolId lastTool_ = nullptr;
    int horizontalOffset_ = 0;
    int verticalOffset_ = 0;
    bool enabled_ = true;
};

}  // namespace horalux
