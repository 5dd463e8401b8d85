#include "displays/centred_text.h"

#include <QFontMetricsF>
#include <QPainter>

namespace horalux {

const CentredText::Laid& CentredText::Lay(const QString& text) {
    const auto found = texts_.find(text);
    if (found != texts_.end()) {
        return found->second;
    }
    if (texts_.size() >= kMaxTexts) {
        texts_.clear();
    }
    Laid laid;
    laid.text.setText(text);
    laid.text.setTextFormat(Qt::PlainText);
    laid.text.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.text.prepare(QTransform(), font_);
    // The width drawText centres by: the text's advance, spaces included.
    laid.width = QFontMetricsF(font_).horizontalAdvance(text);
    return texts_.emplace(text, std::move(laid)).first->second;
}

void CentredText::Draw(QPainter& painter, const QRect& box, const QString& text) {
    if (painter.font() != font_) {
        texts_.clear();
        font_ = painter.font();
    }
    const Laid& laid = Lay(text);
    painter.drawStaticText(QPointF(box.left() + (box.width() - laid.width) / 2, box.top()),
                           laid.text);
}

}  // namespace horalux
