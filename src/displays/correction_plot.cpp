#include "displays/correction_plot.h"

#include <QPainter>

#include "ui/dialog_font.h"

namespace horalux {

namespace {

const QColor kMissColour(0xC0, 0x30, 0x30);
constexpr int kMissHeight = 4;  // pixels under the plot's bottom edge

}  // namespace

CorrectionPlot::CorrectionPlot(QWidget* parent) : QWidget(parent) {
    InstallDisplayAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(dialogFont());
}

QString CorrectionPlot::AccessibleSummary() const {
    return state_.Summary();
}

void CorrectionPlot::SetContents(std::vector<CorrectionPoint> points, int64_t nowMs) {
    const bool moved = state_.SetPoints(std::move(points));
    if (state_.SetNow(nowMs) || moved) {
        Changed();
    }
}

void CorrectionPlot::SetRange(CorrectionRange range) {
    if (state_.SetRange(range)) {
        Changed();
    }
}

void CorrectionPlot::Changed() {
    NotifySummaryChanged(this);
    update();
}

void CorrectionPlot::paintEvent(QPaintEvent* /*event*/) {
    ++paints_;
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Window));
    const QFontMetrics metrics(font());
    const CorrectionPlotState::Picture picture =
        state_.Layout(width(), height(), metrics.height(),
                      [&](const QString& text) { return metrics.horizontalAdvance(text); });
    if (!picture.plot.isValid()) {
        return;
    }
    const QRect& plot = picture.plot;
    painter.fillRect(plot, colours.color(QPalette::Base));
    const QColor text = colours.color(QPalette::WindowText);
    const QColor grid = colours.color(QPalette::Midlight);

    for (const CorrectionPlotState::Tick& tick : picture.correctionTicks) {
        painter.fillRect(QRect(plot.left(), tick.position, plot.width(), 1), grid);
        if (tick.text.isEmpty()) {
            continue;
        }
        painter.setPen(text);
        painter.drawText(
            QRect(0, tick.position - metrics.height() / 2, plot.left() - 4, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, tick.text);
    }
    for (const CorrectionPlotState::Tick& tick : picture.timeTicks) {
        painter.fillRect(QRect(tick.position, plot.bottom() + 1, 1, 3), text);
        const int w = metrics.horizontalAdvance(tick.text);
        painter.setPen(text);
        painter.drawText(QRect(tick.position - w / 2, plot.bottom() + 3, w + 1, metrics.height()),
                         Qt::AlignCenter, tick.text);
    }
    painter.fillRect(QRect(plot.left(), picture.zeroRow, plot.width(), 1), text);
    painter.setPen(colours.color(QPalette::Shadow));
    painter.drawRect(plot.adjusted(0, 0, -1, -1));

    const QColor stem = colours.color(QPalette::Highlight);
    for (const QPoint& p : picture.stems) {
        const int top = std::min(p.y(), picture.zeroRow);
        painter.fillRect(QRect(p.x(), top, 1, std::abs(p.y() - picture.zeroRow) + 1), stem);
        painter.fillRect(QRect(p.x() - 1, p.y() - 1, 3, 3), stem);
    }
    for (int x : picture.misses) {
        painter.fillRect(QRect(x, plot.bottom() - kMissHeight + 1, 1, kMissHeight), kMissColour);
    }
    if (!picture.empty.isEmpty()) {
        painter.setPen(colours.color(QPalette::Disabled, QPalette::WindowText));
        painter.drawText(plot, Qt::AlignCenter, picture.empty);
    }
}

}  // namespace horalux
