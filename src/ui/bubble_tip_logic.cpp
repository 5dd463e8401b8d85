#include "ui/bubble_tip_logic.h"

#include <algorithm>

namespace horalux {
namespace {

// Margins of the balloon: the pointer takes 15 pixels off one side, the text keeps 7 from the
// edges, and the pointer is 14 wide.
constexpr int kPointerHeight = 15;
constexpr int kTextMargin = 7;
constexpr int kPointerHalfWidth = 7;
constexpr int kWidthStep = 20;

// The pointer's x position: one third of the width in from the right.
int pointerX(const QRect& r) {
    const int right = r.x() + r.width();
    return right - r.width() / 3;
}

}  // namespace

void BubbleTipLogic::addTool(ToolId control, std::string text) {
    if (control != nullptr) {
        tools_[control] = std::move(text);
    }
}

BubbleTipLogic::Action BubbleTipLogic::removeTool(ToolId control) {
    tools_.erase(control);
    if (lastTool_ == control) {
        lastTool_ = nullptr;
    }
    if (currentTool_ != control) {
        return Action::None;
    }
    currentTool_ = nullptr;
    if (!overTool_) {
        return Action::None;
    }
    overTool_ = false;
    state_ = State::Idle;
    return Action::Hide;
}

bool BubbleTipLogic::isTool(ToolId window) const {
    return window != nullptr && tools_.count(window) != 0;
}

std::string BubbleTipLogic::toolText(ToolId control) const {
    const auto it = tools_.find(control);
    return it == tools_.end() ? std::string() : it->second;
}

BubbleTipLogic::Action BubbleTipLogic::mouseMoved(ToolId window) {
    if (isTool(window)) {
        currentTool_ = window;
        if (window != lastTool_) {
            lastTool_ = window;
            state_ = State::Idle;
        }
        overTool_ = true;
        return Action::None;
    }
    if (overTool_) {
        overTool_ = false;
        state_ = State::Idle;
        return Action::Hide;
    }
    return Action::None;
}

void BubbleTipLogic::keyOrButtonPressed() {
    state_ = State::Spent;
}

BubbleTipLogic::Action BubbleTipLogic::tick() {
    count(ticksShown_);
    count(ticksHovered_);
    switch (state_) {
        case State::Idle:
            if (overTool_) {
                ticksHovered_ = 0;
                state_ = State::Waiting;
            }
            return Action::Hide;
        case State::Waiting:
            if (ticksHovered_ >= kHoverDelay) {
                ticksShown_ = 0;
                state_ = State::Shown;
                return Action::Show;
            }
            if (!overTool_) {
                state_ = State::Idle;
            }
            return Action::None;
        case State::Shown:
            if (!overTool_) {
                state_ = State::Idle;
            } else if (ticksShown_ >= kDisplayTime) {
                state_ = State::Spent;
            }
            return Action::None;
        case State::Spent:
            if (overTool_) {
                return Action::Hide;
            }
            state_ = State::Idle;
            return Action::None;
    }
    return Action::None;
}

std::optional<BubbleTipLogic::Placement> BubbleTipLogic::place(QPoint mouse, const QRect& screen,
                                                               QSize clientSize,
                                                               bool programHasFocus) {
    if (!enabled_ || !programHasFocus) {
        return std::nullopt;
    }
    const QRect client(QPoint(0, 0), clientSize);
    Placement placement;
    placement.shape = mouse.y() + client.top() + verticalOffset_ < screen.top()
                          ? belowShape(client)
                          : aboveShape(client);
    horizontalOffset_ = placement.shape.horizontalOffset;
    verticalOffset_ = placement.shape.verticalOffset;
    placement.topLeft =
        keepOnScreen(mouse + QPoint(horizontalOffset_, verticalOffset_), clientSize, screen);
    return placement;
}

BubbleShape BubbleTipLogic::aboveShape(const QRect& r) {
    const int left = r.x();
    const int top = r.y();
    const int right = r.x() + r.width();
    const int bottom = r.y() + r.height();
    const int p = pointerX(r);
    BubbleShape shape;
    shape.below = false;
    shape.textArea =
        QRect(QPoint(left + kTextMargin, top + kTextMargin),
              QPoint(right - kTextMargin - 1, bottom - kPointerHeight - kTextMargin - 1));
    shape.body = QRect(QPoint(left, top), QPoint(right - 1, bottom - (kPointerHeight - 1) - 1));
    shape.pointer = {QPoint(p + kPointerHalfWidth, bottom),
                     QPoint(p - kPointerHalfWidth, bottom - kPointerHeight),
                     QPoint(p + kPointerHalfWidth, bottom - kPointerHeight)};
    shape.horizontalOffset = -p - kPointerHalfWidth;
    shape.verticalOffset = -bottom;
    return shape;
}

BubbleShape BubbleTipLogic::belowShape(const QRect& r) {
    const int left = r.x();
    const int top = r.y();
    const int right = r.x() + r.width();
    const int bottom = r.y() + r.height();
    const int p = pointerX(r);
    BubbleShape shape;
    shape.below = true;
    shape.textArea = QRect(QPoint(left + kTextMargin, top + kPointerHeight + kTextMargin),
                           QPoint(right - kTextMargin - 1, bottom - kTextMargin - 1));
    shape.body = QRect(QPoint(left, top + kPointerHeight), QPoint(right - 1, bottom - 1));
    shape.pointer = {QPoint(p + kPointerHalfWidth, top),
                     QPoint(p - kPointerHalfWidth, top + kPointerHeight),
                     QPoint(p + kPointerHalfWidth, top + kPointerHeight)};
    shape.horizontalOffset = -p - kPointerHalfWidth;
    shape.verticalOffset = 0;
    return shape;
}

QPoint BubbleTipLogic::keepOnScreen(QPoint topLeft, QSize size, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    QPoint result = topLeft;
    if (result.x() + size.width() > screenRight) {
        result.setX(screenRight - size.width());
    } else if (result.x() < screen.x()) {
        result.setX(screen.x());
    }
    if (result.y() + size.height() > screenBottom) {
        result.setY(screenBottom - size.height());
    } else if (result.y() < screen.y()) {
        result.setY(screen.y());
    }
    return result;
}

QRect BubbleTipLogic::centredText(const QRect& area, QSize block) {
    return QRect(area.x() + (area.width() - block.width()) / 2,
                 area.y() + (area.height() - block.height()) / 2, block.width(), block.height());
}

QSize BubbleTipLogic::fitClientSize(const std::function<QSize(int textWidth)>& measure) {
    const int textHeight = kClientSize - kPointerHeight - 2 * kTextMargin;
    for (int width = kClientSize; width <= kMaxClientWidth; width += kWidthStep) {
        const int textWidth = width - 2 * kTextMargin;
        const QSize block = measure(textWidth);
        if (block.width() <= textWidth && block.height() <= textHeight) {
            return QSize(width, kClientSize);
        }
    }
    const QSize block = measure(kMaxClientWidth - 2 * kTextMargin);
    return QSize(std::max(kMaxClientWidth, block.width() + 2 * kTextMargin),
                 block.height() + kPointerHeight + 2 * kTextMargin);
}

}  // namespace horalux
