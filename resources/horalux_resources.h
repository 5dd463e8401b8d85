#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace horalux {

// Icon and bitmap resources by number: tray icons 109 (GPS reference), 138 (network reference),
// 140 (network, setting the clock), 141 (network time server unreachable); bitmaps 112 (the
// program's artwork), 114 and 121 (the sky plot's satellites: used in the fix, in view) and 135
// (the sheet of activity lights). The help manual lives under ":/help/".

// Registers the compiled-in resources. Safe to call more than once; the helpers below call it.
void initResources();

// An icon with every size drawn for it (16 to 64 pixels); a null icon for an unknown number.
QIcon resourceIcon(int id);
// The path of one size of an icon, e.g. ":/icons/109.png" (32 pixels) or ":/icons/109-16.png".
QString iconPath(int id, int size = 32);
// A bitmap, e.g. 112; a null pixmap for an unknown number.
QPixmap resourceBitmap(int id);

}  // namespace horalux
