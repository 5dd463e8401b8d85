// The tray program: keeps the PC clock set from a GPS receiver or a network time server.
#include <QApplication>

#include "app/horalux_app.h"

int main(int argc, char** argv) {
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
