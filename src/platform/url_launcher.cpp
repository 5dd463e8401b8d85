#include "platform/url_launcher.h"

#include <QDesktopServices>
#include <QFile>
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

StartResult SystemUrlLauncher::startDetached(const QString& program, const QStringList& arguments) {
    const QString path = findExecutable(program);
    if (!path.isEmpty() && QProcess::startDetached(path, arguments)) {
        return StartResult::Started;
    }
    return diagnose(program);
}

StartResult SystemUrlLauncher::diagnose(const QString& program) {
    const QString path =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        return StartResult::NotFound;
    }
    if (!info.isFile() || !info.isExecutable()) {
        return StartResult::AccessDenied;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return StartResult::AccessDenied;
    }
    const QByteArray head = file.read(256);
    if (head.startsWith("#!")) {
        const qsizetype end = head.indexOf('\n');
        const QByteArray line = head.mid(2, end < 0 ? -1 : end - 2).simplified();
        const QByteArray interpreter = line.split(' ').value(0);
        const QFileInfo runner(QString::fromLocal8Bit(interpreter));
        if (interpreter.isEmpty() || !runner.isFile() || !runner.isExecutable()) {
            return StartResult::MissingInterpreter;
        }
        return StartResult::NoResources;
    }
    if (!head.startsWith("\x7f"
                         "ELF")) {
        return StartResult::BadFormat;
    }
    return StartResult::NoResources;
}

QString SystemUrlLauncher::environment(const char* name) {
    return qEnvironmentVariable(name);
}

}  // namespace horalux
