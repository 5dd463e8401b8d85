#include "platform/url_launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

namespace horalux {

bool SystemUrlLauncher::openWithDesktop(const QUrl& url) {
    // Desktop services need a GUI application; without one the other handlers are tried.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

QString SystemUrlLauncher::findExecutable(const QString& program) {
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

bool SystemUrlLauncher::startDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

QString SystemUrlLauncher::environment(const char* name) {
    return qEnvironmentVariable(name);
}

}  // namespace horalux
