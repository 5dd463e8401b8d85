#pragma once

#include <QRect>
#include <optional>

class QWindow;

namespace horalux {

// Where the window system has put a top-level window, in screen coordinates, asked of the
// window system itself. Qt takes a place it asked for as granted, but a window manager may keep
// the window elsewhere without a word (sway centres the X11 windows it floats), so a place to
// remember is asked for here. On X11, the X server's answer; on a platform that draws no
// windows of others (offscreen), Qt's own; nothing where the window system does not tell
// (Wayland) or does not answer.
std::optional<QRect> WindowSystemPlaceOf(QWindow& window);

}  // namespace horalux
