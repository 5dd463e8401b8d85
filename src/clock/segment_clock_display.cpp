#include "clock/segment_clock_display.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include "clock/painter_surface.h"
#include "clock/qt_color.h"
#include "platform/window_system.h"

namespace horalux {

SegmentClockDisplay::SegmentClockDisplay(const SystemClock& clock, QWidget* parent)
    : QWidget(parent),
      clock_(clock),
      quietRepaints_(PlatformKeepsUnpaintedPixels(QGuiApplication::platformName().toStdString())) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallDisplayAccessibility();
}

void SegmentClockDisplay::EnableTimer(int32_t on, int periodMs) {
    if (on == 1) {
        timer_.start(periodMs, this);
    } else {
        timer_.stop();
    }
}

void SegmentClockDisplay::invalidate(bool erase) {
    if (erase) {
        erasePending_ = true;
    } else {
        quietRepaint_ = true;
    }
    update();
    takeShownTime();
}

void SegmentClockDisplay::takeShownTime() {
    shown_ = state_;
    if (!isVisible()) {
        return;  // nothing shows; asked, the name is put into words all the same
    }
    QString text = AccessibleSummary();
    if (text != spoken_) {
        spoken_ = std::move(text);
        NotifySummaryChanged(this);
        Q_EMIT spokenTextChanged(spoken_);
    }
}

QString SegmentClockDisplay::AccessibleSummary() const {
    return QString::fromStdString(shown_.SpokenText());
}

bool SegmentClockDisplay::tick() {
    if (!state_.Tick(clock_)) {
        return false;
    }
    invalidate(false);
    return true;
}

void SegmentClockDisplay::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        tick();
        return;
    }
    QWidget::timerEvent(event);
}

void SegmentClockDisplay::resizeEvent(QResizeEvent* event) {
    erasePending_ = true;
    QWidget::resizeEvent(event);
}

void SegmentClockDisplay::showEvent(QShowEvent* event) {
    erasePending_ = true;
    QWidget::showEvent(event);
}

void SegmentClockDisplay::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        invalidate(true);
    }
    QWidget::changeEvent(event);
}

void SegmentClockDisplay::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (erasePending_ || !quietRepaint_ || !quietRepaints_) {
        eraseBackground(painter);
        // A partial repaint erased only part of it; an asked-for erase waits for a whole one.
        erasePending_ = erasePending_ && !QRegion(rect()).subtracted(event->region()).isEmpty();
    }
    quietRepaint_ = false;
    PainterSurface surface(painter);
    state_.Draw(surface, width(), height());
}

void SegmentClockDisplay::eraseBackground(QPainter& painter) {
    const QRect r = rect();
    painter.fillRect(r, toQColor(state_.background));
    if (r.width() < 1 || r.height() < 1) {
        return;
    }
    // A sunken one-pixel edge: shadow on the top and left, highlight on the bottom and right.
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), shadow);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), shadow);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), highlight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), highlight);
}

}  // namespace horalux
