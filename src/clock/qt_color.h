#pragma once

#include <QColor>

#include "clock/color_ref.h"

namespace horalux {

// ColorRef (0x00BBGGRR) to and from Qt's colours.
inline QColor toQColor(ColorRef c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

inline ColorRef toColorRef(const QColor& c) {
    const QColor rgb = c.toRgb();
    return makeColorRef(static_cast<uint8_t>(rgb.red()), static_cast<uint8_t>(rgb.green()),
                        static_cast<uint8_t>(rgb.blue()));
}

}  // namespace horalux
