#include "displays/sky_plot_legend.h"

#include <QPainter>
#include <algorithm>

#include "clock/qt_color.h"
#include "ui/dialog_font.h"

namespace horalux {

SkyPlotLegend::SkyPlotLegend(QWidget* parent) : QWidget(parent) {
    InstallDisplayAccessibility();
    setFont(dialogFont());
}

void SkyPlotLegend::SetCounts(const std::vector<SystemCount>& counts) {
    if (counts == counts_) {
        return;
    }
    counts_ = counts;
    entries_ = SystemLegend(counts);
    NotifySummaryChanged(this);
    update();
}

QString SkyPlotLegend::AccessibleSummary() const {
    if (counts_.empty()) {
        return QStringLiteral("No satellite systems");
    }
    return QStringLiteral("Satellite systems: ") + SystemCountsText(counts_);
}

void SkyPlotLegend::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int line = metrics.height() + 3;
    const int chip = metrics.height() + 1;
    const int perColumn = std::max(1, height() / line);
    int columnWidth = 0;
    for (const SystemLegendEntry& e : entries_) {
        columnWidth = std::max(columnWidth, chip + 4 + metrics.horizontalAdvance(e.text) + 12);
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        const SystemLegendEntry& e = entries_[i];
        const int x = static_cast<int>(i / perColumn) * columnWidth;
        const int y = static_cast<int>(i % perColumn) * line;
        const QRect box(x, y, chip, chip);
        painter.fillRect(box, Qt::black);
        painter.setPen(toQColor(e.colour));
        painter.drawText(box, Qt::AlignCenter, QString(e.letter));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(x + chip + 4, y, width() - x - chip - 4, chip),
                         Qt::AlignLeft | Qt::AlignVCenter, e.text);
    }
}

}  // namespace horalux
