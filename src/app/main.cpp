// The tray program: keeps the PC clock set from a GPS receiver or a network time server.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/horalux_app.h"

int main(int argc, char** argv) {
    // Without a desktop session Qt would abort with a core dump; say what is missing instead.
    const auto unset = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || value[0] == '\0';
    };
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "horalux: no desktop session to run in (DISPLAY is not set)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Horalux"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    // The program has no main window; it ends only through the tray menu's "&Exit".
    QApplication::setQuitOnLastWindowClosed(false);

    horalux::CHoraluxApp horalux;
    switch (horalux.InitInstance()) {
        case horalux::StartupResult::Running:
            return QApplication::exec();
        case horalux::StartupResult::AnotherCopyRuns:
            return 0;
        case horalux::StartupResult::FrameFailed:
            return 1;
    }
    return 1;
}
