#pragma once

#include <QFont>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <unordered_map>

class QPainter;

namespace horalux {

// Texts centred across the top of a box, as QPainter::drawText draws them with AlignHCenter |
// AlignTop | TextDontClip, laid out once for each text and then reused: a display that shows
// the same few numbers again every second does not shape them again each time. One cache is
// for one font; a different font empties it. It holds at most kMaxTexts texts.
class CentredText {
  public:
    static constexpr size_t kMaxTexts = 256;

    // Draws `text` in the painter's font and pen, centred across `box` with its top at the box's.
    void Draw(QPainter& painter, const QRect& box, const QString& text);

  private:
    struct Laid {
        QStaticText text;
        qreal width = 0;
    };
    const Laid& Lay(const QString& text);

    QFont font_;
    std::unordered_map<QString, Laid> texts_;
};

}  // namespace horalux
