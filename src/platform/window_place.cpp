#include "platform/window_place.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <memory>

namespace horalux {

namespace {

std::optional<QRect> X11PlaceOf(QWindow& window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return std::nullopt;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (screen == nullptr) {
        return std::nullopt;
    }
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
        xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, id, screen->root, 0, 0), nullptr),
        &std::free);
    if (!geometry || !origin) {
        return std::nullopt;
    }
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

}  // namespace

std::optional<QRect> WindowSystemPlaceOf(QWindow& window) {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        return X11PlaceOf(window);
    }
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        return window.frameGeometry();
    }
    return std::nullopt;
}

}  // namespace horalux
