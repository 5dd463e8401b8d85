#include "displays/signal_quality_graph.h"

#include <QFontInfo>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "displays/display_accessibility.h"
#include "ui/dialog_font.h"

namespace horalux {

SignalQualityGraph::SignalQualityGraph(QWidget* parent) : QWidget(parent) {
    InstallDisplayAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(dialogFont());
}

QString SignalQualityGraph::AccessibleSummary() const {
    return QStringLiteral("Signal quality: ") + state_.Summary();
}

void SignalQualityGraph::invalidate(bool erase) {
    if (erase) {
        erasePending_ = true;
    } else {
        quietRepaint_ = true;
    }
    NotifySummaryChanged(this);
    update();
}

void SignalQualityGraph::ResetExtremes() {
    state_.ResetExtremes();
    invalidate(true);
}

void SignalQualityGraph::resizeEvent(QResizeEvent* event) {
    erasePending_ = true;
    QWidget::resizeEvent(event);
}

void SignalQualityGraph::showEvent(QShowEvent* event) {
    erasePending_ = true;
    QWidget::showEvent(event);
}

void SignalQualityGraph::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const QColor face = colours.color(QPalette::Window);
    if (erasePending_ || !quietRepaint_) {
        painter.fillRect(rect(), face);
        erasePending_ = erasePending_ && !QRegion(rect()).subtracted(event->region()).isEmpty();
    }
    quietRepaint_ = false;

    const QFontMetrics metrics(font());
    // Bars that carry their systems ("G05") may be too narrow for their labels and values, with
    // 30 satellites and more: the labels take two rows, the values a smaller font.
    int widestLabel = 0;
    const int n = std::clamp<int32_t>(state_.barCount, 0, SignalQualityState::kMaxBars);
    for (int i = 0; i < n; ++i) {
        const SignalBar& bar = state_.bars[static_cast<size_t>(i)];
        if (bar.system) {
            widestLabel =
                std::max(widestLabel, metrics.horizontalAdvance(SignalQualityState::Label(bar)));
        }
    }
    QFont valueFont = font();
    if (widestLabel > 0) {
        valueFont.setPixelSize(SignalQualityState::ValuePixelSize(
            state_.Pitch(width()), QFontInfo(font()).pixelSize(), [&](int pixels) {
                QFont f = font();
                f.setPixelSize(pixels);
                return QFontMetrics(f).horizontalAdvance(QStringLiteral("00"));
            }));
    }

    const QColor shadow = colours.color(QPalette::Shadow);
    const QColor light = colours.color(QPalette::Light);
    const QColor used = colours.color(QPalette::Highlight);
    const QColor unused = colours.color(QPalette::Disabled, QPalette::WindowText);
    const QColor valueColour = colours.color(QPalette::HighlightedText);
    const QColor prnColour = colours.color(QPalette::WindowText);
    for (const SignalQualityState::Rows& bar :
         state_.Paint(width(), height(), metrics.height(), widestLabel)) {
        const QRect f = bar.frame;
        if (f.isValid()) {
            painter.fillRect(QRect(f.left(), f.top(), f.width() - 1, 1), shadow);
            painter.fillRect(QRect(f.left(), f.top(), 1, f.height() - 1), shadow);
            painter.fillRect(QRect(f.left(), f.bottom(), f.width(), 1), light);
            painter.fillRect(QRect(f.right(), f.top(), 1, f.height()), light);
        }
        if (bar.upper.isValid()) {
            painter.fillRect(bar.upper, face);
        }
        if (bar.filled.isValid()) {
            painter.fillRect(bar.filled, bar.used ? used : unused);
        }
        if (bar.valueBox.isValid()) {
            painter.save();
            painter.setClipRect(bar.valueBox);
            painter.setPen(valueColour);
            painter.setFont(valueFont);
            values_.Draw(painter, bar.valueBox, bar.value);
            painter.restore();
        }
        if (bar.prnBox.isValid()) {
            painter.fillRect(bar.prnBox, face);
            painter.setPen(prnColour);
            prns_.Draw(painter, bar.prnBox, bar.prn);
        }
    }
}

}  // namespace horalux
