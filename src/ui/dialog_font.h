#pragma once

#include <QFont>
#include <QGuiApplication>

namespace horalux {

// The font that dialog layouts in dialog units are drawn for: the desktop's sans-serif at 11
// pixels, whose 13-pixel line matches the dialog base unit's height, so texts fit the rectangles
// their dialogs give them.
inline QFont dialogFont() {
    QFont font = QGuiApplication::font();
    font.setPixelSize(11);
    return font;
}

}  // namespace horalux
