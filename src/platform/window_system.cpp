#include "platform/window_system.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace horalux {

namespace {

std::string Variable(const char* name) {
    return qEnvironmentVariable(name).toStdString();
}

// Qt's Wayland plugins: "wayland", "wayland-egl", ...
bool IsWaylandPlugin(std::string_view platformName) {
    return platformName.starts_with("wayland");
}

}  // namespace

WindowSystemEnvironment WindowSystemEnvironment::Current() {
    return {Variable("QT_QPA_PLATFORM"), Variable("XDG_SESSION_TYPE"), Variable("WAYLAND_DISPLAY"),
            Variable("DISPLAY")};
}

std::string PlatformPluginFor(const WindowSystemEnvironment& environment) {
    const bool wayland =
        environment.sessionType == "wayland" || !environment.waylandDisplay.empty();
    if (!environment.qpaPlatform.empty() || !wayland || environment.display.empty()) {
        return {};
    }
    return "xcb";
}

bool PlatformPlacesWindows(std::string_view platformName) {
    return !IsWaylandPlugin(platformName);
}

bool PlatformKeepsUnpaintedPixels(std::string_view platformName) {
    return !IsWaylandPlugin(platformName);
}

std::string PrepareWindowSystem() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", QByteArray("1"));
    }
    return PlatformPluginFor(WindowSystemEnvironment::Current());
}

}  // namespace horalux
