#include "platform/window_system.h"

#include <gtest/gtest.h>

#include <QtGlobal>
#include <optional>
#include <string>

namespace horalux {
namespace {

TEST(WindowSystemTest, RepaintsGoOverTheConnectionUnlessTheEnvironmentSaysOtherwise) {
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")
            ? std::optional<QByteArray>(qgetenv("QT_XCB_NO_MITSHM"))
            : std::nullopt;
    struct {
        std::optional<QByteArray> before;
        QByteArray after;
    } const cases[] = {{std::nullopt, "1"}, {QByteArray("0"), "0"}, {QByteArray("1"), "1"}};
    for (const auto& c : cases) {
        if (c.before) {
            qputenv("QT_XCB_NO_MITSHM", *c.before);
        } else {
            qunsetenv("QT_XCB_NO_MITSHM");
        }
        PrepareWindowSystem();
        EXPECT_TRUE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"));
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), c.after);
    }
    if (saved) {
        qputenv("QT_XCB_NO_MITSHM", *saved);
    } else {
        qunsetenv("QT_XCB_NO_MITSHM");
    }
}

// In a Wayland session with an X server the program asks for X11, where it can place its clock
// and keep it above others; whatever else the environment says is left to Qt.
TEST(WindowSystemTest, AWaylandSessionWithXwaylandRunsOnX11) {
    struct {
        WindowSystemEnvironment environment;
        std::string plugin;
    } const cases[] = {
        {{"", "wayland", "wayland-0", ":0"}, "xcb"},  // GNOME, KDE Plasma
        {{"", "", "wayland-0", ":1"}, "xcb"},         // a session that says nothing of its type
        {{"", "wayland", "", ":0"}, "xcb"},
        {{"", "wayland", "wayland-0", ""}, ""},  // no Xwayland: Qt's Wayland plugin
        {{"", "x11", "", ":0"}, ""},             // X11: Qt's own choice, xcb
        {{"", "tty", "", ""}, ""},
        {{"wayland", "wayland", "wayland-0", ":0"}, ""},  // the user's choice stays
        {{"xcb", "wayland", "wayland-0", ":0"}, ""},
        {{"offscreen", "", "", ""}, ""},
    };
    for (const auto& c : cases) {
        const WindowSystemEnvironment& e = c.environment;
        EXPECT_EQ(PlatformPluginFor(e), c.plugin)
            << "QT_QPA_PLATFORM=" << e.qpaPlatform << " XDG_SESSION_TYPE=" << e.sessionType
            << " WAYLAND_DISPLAY=" << e.waylandDisplay << " DISPLAY=" << e.display;
    }
    for (const char* name : {"xcb", "offscreen", "minimal"}) {
        EXPECT_TRUE(PlatformPlacesWindows(name)) << name;
        EXPECT_TRUE(PlatformKeepsUnpaintedPixels(name)) << name;
    }
    for (const char* name : {"wayland", "wayland-egl", "wayland-brcm"}) {
        EXPECT_FALSE(PlatformPlacesWindows(name)) << name;
        EXPECT_FALSE(PlatformKeepsUnpaintedPixels(name)) << name;
    }
}

}  // namespace
}  // namespace horalux
