// The tray program: keeps the PC clock set from a GPS receiver or a network time server.
#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/horalux_app.h"
#include "platform/clock_privilege.h"
#include "platform/window_system.h"

int main(int argc, char** argv) {
    // --version and --help answer without a desktop; anything else is an error.
    const horalux::CommandLine command =
        horalux::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (command.action != horalux::CommandLine::Action::Run) {
        std::FILE* out = command.action == horalux::CommandLine::Action::Error ? stderr : stdout;
        std::fputs(command.output.c_str(), out);
        return command.exitCode;
    }
    // Without a desktop session Qt would abort with a core dump; say what is missing instead.
    const auto unset = [](const char* name) {
        const char* value = std::getenv(name);
        return value == nullptr || value[0] == '\0';
    };
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "horalux: no desktop session to run in (DISPLAY is not set)\n");
        return 1;
    }
    // No capability survives into the GUI libraries: Qt loads plugins from folders the user names
    // in the environment. The clock is set by the clock helper, for callers whom polkit allows.
    const horalux::CapabilityDrop drop = horalux::DropAllCapabilities();
    if (!drop.done) {
        std::fprintf(stderr, "horalux: cannot give up the capabilities %s: %s\n", drop.held.c_str(),
                     drop.error.c_str());
        return 1;
    }
    const char* trace = std::getenv("HORALUX_TRACE");
    if (!drop.held.empty() && trace != nullptr && trace[0] == '1') {
        std::fprintf(stderr, "horalux: gave up the capabilities %s\n", drop.held.c_str());
    }
    // In a Wayland session with Xwayland the program asks for X11 (window_system.h says why).
    std::string platform = horalux::PrepareWindowSystem();
    std::string platformOption = "-platform";
    std::vector<char*> args(argv, argv + argc);
    if (!platform.empty()) {
        args.push_back(platformOption.data());
        args.push_back(platform.data());
    }
    int appArgc = static_cast<int>(args.size());
    args.push_back(nullptr);
    QApplication app(appArgc, args.data());
    QApplication::setApplicationName(QStringLiteral("Horalux"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    // The program has no main window; it ends only through the tray menu's "&Exit".
    QApplication::setQuitOnLastWindowClosed(false);
    // The start at log-in is the autostart entry's: a session manager that restored the program
    // as well would start a second copy, which opens the first one's properties window.
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &app, [](QSessionManager& manager) {
        manager.setRestartHint(QSessionManager::RestartNever);
    });

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
