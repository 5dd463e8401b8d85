#include "displays/activity_led_state.h"

#include <QRect>

namespace horalux {

void ActivityLedState::SetLed(int32_t colour, int32_t state, int32_t shape) {
    colorOffset = colour;
    ledState = state;
    shapeOffset = shape;
}

ActivityLedState::TimerCommand ActivityLedState::Flash(int durationMs) {
    TimerCommand command;
    command.stop = flashing;
    flashing = true;
    ledState = 0;
    command.startMs = durationMs < 0 ? 0 : durationMs;
    return command;
}

ActivityLedState::TimerCommand ActivityLedState::OnTimer(int id) {
    TimerCommand command;
    if (id != kFlashTimer) {
        return command;
    }
    ledState = 1;
    flashing = false;
    command.stop = true;
    return command;
}

bool ActivityLedState::CellInSheet() const {
    const int64_t x = int64_t{ledState} * kCell;
    const int64_t y = int64_t{colorOffset} + shapeOffset;
    return x >= 0 && y >= 0 && x + kCell <= kSheetSize.width() && y + kCell <= kSheetSize.height();
}

QPoint ActivityLedState::TargetOrigin(QSize client) {
    if (client.width() >= kCell && client.height() >= kCell) {
        return QPoint((client.width() - kCell) / 2, (client.height() - kCell) / 2);
    }
    return QPoint(0, 0);
}

}  // namespace horalux
