#include "displays/activity_led.h"

#include <QPainter>
#include <QTimerEvent>
#include <cstdio>
#include <cstdlib>

#include "displays/display_accessibility.h"
#include "resources/horalux_resources.h"

namespace horalux {

QImage ActivityLed::Sheet() {
    QImage sheet = resourceBitmap(135).toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(255, 0, 255);
    for (int y = 0; y < sheet.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(sheet.scanLine(y));
        for (int x = 0; x < sheet.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) {
                line[x] = 0;
            }
        }
    }
    return sheet.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

ActivityLed::ActivityLed(QWidget* parent) : QWidget(parent), sheet_(Sheet()) {
    InstallDisplayAccessibility();
    const char* value = std::getenv("HORALUX_TRACE");
    trace_ = value != nullptr && value[0] == '1';
}

void ActivityLed::SetLed(int32_t colorOffset, int32_t ledState, int32_t shapeOffset) {
    const bool wasLit = state_.ledState == 0;
    state_.SetLed(colorOffset, ledState, shapeOffset);
    Trace(wasLit);
    update();
}

void ActivityLed::Flash(int durationMs) {
    const bool wasLit = state_.ledState == 0;
    Apply(state_.Flash(durationMs));
    Trace(wasLit);
    // A light that is lit already looks the same: no repaint, and no flush to the screen, for
    // each sentence of a burst.
    if (!wasLit) {
        update();
    }
}

void ActivityLed::FireTimer(int id) {
    const bool wasLit = state_.ledState == 0;
    const ActivityLedState::TimerCommand command = state_.OnTimer(id);
    if (!command.stop) {
        return;
    }
    Apply(command);
    Trace(wasLit);
    update();
}

void ActivityLed::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        FireTimer(ActivityLedState::kFlashTimer);
        return;
    }
    QWidget::timerEvent(event);
}

void ActivityLed::Apply(ActivityLedState::TimerCommand command) {
    if (command.stop) {
        timer_.stop();
    }
    if (command.startMs >= 0) {
        // A coarse timer may fire a few milliseconds off, in step with the program's other
        // timers: one wake-up fewer a second, and no one sees 5 ms of a flash.
        timer_.start(command.startMs, Qt::CoarseTimer, this);
    }
}

void ActivityLed::Trace(bool wasLit) {
    const bool lit = state_.ledState == 0;
    if (trace_ && lit != wasLit) {
        std::fprintf(stderr, "horalux: rx %s\n", lit ? "lit" : "dim");
        std::fflush(stderr);
    }
}

void ActivityLed::paintEvent(QPaintEvent*) {
    if (!state_.CellInSheet()) {
        return;
    }
    // Nothing is erased: the parent's pixels show through the cell's see-through parts.
    QPainter painter(this);
    const QPoint cell = state_.Cell();
    painter.drawImage(ActivityLedState::TargetOrigin(size()), sheet_,
                      QRect(cell, QSize(ActivityLedState::kCell, ActivityLedState::kCell)));
}

}  // namespace horalux
