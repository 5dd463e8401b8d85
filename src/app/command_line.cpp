#include "app/command_line.h"

#include <QCommandLineParser>
#include <QStringList>

#include "app/project_info.h"

namespace horalux {

std::string UsageText() {
    return std::string("Usage: horalux [--version | --help]\n\n") + project::kSummary +
           ".\n"
           "It runs behind an icon in the notification area and is set up in its properties\n"
           "window; a second start opens the running copy's properties. The settings live in\n"
           "$XDG_CONFIG_HOME/Quorvane/Horalux.ini (~/.config/Quorvane/Horalux.ini).\n"
           "\n"
           "Options:\n"
           "  -v, --version  print the version and exit\n"
           "  -h, --help     print this text and exit\n"
           "\n"
           "Environment:\n"
           "  XDG_CONFIG_HOME     the folder of the settings and of the autostart entry\n"
           "                      (default ~/.config)\n"
           "  XDG_RUNTIME_DIR     the folder of the one-copy lock and of the help pages\n"
           "  XDG_STATE_HOME      the folder of the record of clock updates, in Horalux/\n"
           "                      (default ~/.local/state)\n"
           "  HORALUX_CLOCK_FILE  keep a virtual clock instead of the system clock: the\n"
           "                      system time plus the offset in milliseconds stored in\n"
           "                      this file, which setting the clock rewrites (for trying\n"
           "                      Horalux out without touching the PC clock)\n"
           "  HORALUX_NTS_CA_FILE certificates (PEM) trusted for NTS servers besides the\n"
           "                      system's own\n"
           "  HORALUX_USE_CLOCK_HELPER=1\n"
           "                      set even the virtual clock through the clock helper\n"
           "                      (for tests of the whole path)\n"
           "  HORALUX_CHRONYC     options for chronyc when the System Configuration page\n"
           "                      asks chronyd's state (\"-h /path/chronyd.sock\": another\n"
           "                      chronyd's command socket)\n"
           "  HORALUX_TRACE=1     print the tray icon, menu and lock changes, the receiver's\n"
           "                      speed found, the desktop clock's menu, drags and resizes,\n"
           "                      each setting stored, the clock helper's answers, each\n"
           "                      sample fed to chronyd and chronyd's state line on\n"
           "                      standard error\n"
           "  HORALUX_SERIAL_BY_ID  the folder of the serial devices' stable links offered\n"
           "                      as receivers (default /dev/serial/by-id)\n"
           "  HORALUX_DELAY_SECONDS  how long \"Measure Delay...\" measures (5 to 600,\n"
           "                      default 60)\n"
           "  BROWSER             the web browser that shows the help when xdg-open cannot\n"
           "  QT_QPA_PLATFORM     unset: a Wayland session with Xwayland runs Horalux on\n"
           "                      X11, where the desktop clock keeps its place; wayland:\n"
           "                      on Wayland, where the compositor places the clock\n"
           "\n"
           "Horalux holds no privilege: its clock helper, horalux-clockd, sets the PC\n"
           "clock for it, as polkit allows (the person at the desk without a password).\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) {
        return {};
    }
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Prints the version."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Prints the usage."));
    parser.addOption(version);
    parser.addOption(help);
    QStringList list{QStringLiteral("horalux")};
    for (const std::string& arg : args) {
        list << QString::fromLocal8Bit(arg.c_str());
    }
    const auto error = [](const std::string& what) {
        return CommandLine{CommandLine::Action::Error, "horalux: " + what + "\n\n" + UsageText(),
                           2};
    };
    if (!parser.parse(list)) {
        return error(parser.errorText().toStdString());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return error("unexpected argument '" + parser.positionalArguments().first().toStdString() +
                     "'.");
    }
    if (args.size() > 1) {
        return error("give one option at a time.");
    }
    if (parser.isSet(version)) {
        return {CommandLine::Action::PrintVersion, std::string(project::kVersionText) + "\n", 0};
    }
    return {CommandLine::Action::PrintHelp, UsageText(), 0};
}

}  // namespace horalux
