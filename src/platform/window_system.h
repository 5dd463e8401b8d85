#pragma once

#include <string>
#include <string_view>

namespace horalux {

// What the session's environment says about the window systems on offer.
struct WindowSystemEnvironment {
    std::string qpaPlatform;     // QT_QPA_PLATFORM
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string display;         // DISPLAY

    // From the process's environment (unset reads as empty).
    static WindowSystemEnvironment Current();
};

// The Qt platform plugin the program asks for, or empty to leave Qt's own choice.
//
// The desktop clock lives by placing its window (at its stored place, where a drag takes it)
// and keeping it above others. Wayland's own shell protocol lets a client do neither: the
// compositor places every window and has no "stay on top" request. So in a Wayland session that
// also offers an X server (Xwayland, as GNOME and KDE Plasma do), the program runs on X11 ("xcb"),
// where both work as on an X11 desktop; the tray (StatusNotifierItem over D-Bus), the dialogs
// and the properties window work the same either way. A plugin named in QT_QPA_PLATFORM is the
// user's choice and stays; a Wayland session without an X server runs on Qt's "wayland".
std::string PlatformPluginFor(const WindowSystemEnvironment& environment);

// Whether windows on this Qt platform plugin can be placed by the program and know where they
// are: not on Wayland's plugins ("wayland", "wayland-egl", ...).
bool PlatformPlacesWindows(std::string_view platformName);

// Whether a repaint on this Qt platform plugin keeps the pixels it does not paint over. Not so
// on Wayland's plugins: their buffers have an alpha channel, and every region about to be
// repainted is first cleared to transparent, while the window tells the compositor it is
// opaque; what a repaint leaves out then shows as whatever the compositor drew behind it.
bool PlatformKeepsUnpaintedPixels(std::string_view platformName);

// Settles how the program talks to the window system, before the application object connects
// to it.
//
// On X11, Qt hands each repaint to the server through shared memory, and before the next one
// waits for the server to have read it: a round trip, with two thread wake-ups, for every
// repaint. The program's repaints are small and come a few times a second (a clock, a few
// fields, a light that flashes with each burst of sentences), so it sends their pixels over
// the connection instead (QT_XCB_NO_MITSHM=1). An environment that sets QT_XCB_NO_MITSHM itself
// keeps its choice; other window systems ignore it.
//
// Returns the platform plugin to ask the application object for (PlatformPluginFor), given to
// it as "-platform NAME" rather than through the environment, which the programs the user opens
// from ours (a browser for the help) inherit.
std::string PrepareWindowSystem();

}  // namespace horalux
