#include "platform/desktop_url_opener.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace horalux {

DesktopUrlOpener::DesktopUrlOpener()
    : ownLauncher_(std::make_unique<SystemUrlLauncher>()), launcher_(*ownLauncher_) {}

DesktopUrlOpener::DesktopUrlOpener(UrlLauncher& launcher) : launcher_(launcher) {}

QUrl DesktopUrlOpener::parseUrl(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('/'))) {
        return QUrl::fromLocalFile(trimmed);
    }
    QUrl url(trimmed, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        return {};
    }
    return url;
}

QStringList DesktopUrlOpener::browserCommand(const QString& command, const QString& url) {
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty()) {
        return {};
    }
    bool placed = false;
    for (int i = 1; i < parts.size(); ++i) {
        QString& part = parts[i];
        if (!part.contains(QLatin1Char('%'))) {
            continue;
        }
        // "%s" is the URL and "%%" a percent sign; the URL is inserted as it is, never re-read.
        QString expanded;
        for (int c = 0; c < part.size(); ++c) {
            if (part[c] == QLatin1Char('%') && c + 1 < part.size()) {
                if (part[c + 1] == QLatin1Char('s')) {
                    expanded += url;
                    placed = true;
                    ++c;
                    continue;
                }
                if (part[c + 1] == QLatin1Char('%')) {
                    expanded += QLatin1Char('%');
                    ++c;
                    continue;
                }
            }
            expanded += part[c];
        }
        part = expanded;
    }
    if (!placed) {
        parts.append(url);
    }
    return parts;
}

UrlOpenCause DesktopUrlOpener::checkLocalFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return info.dir().exists() ? UrlOpenCause::FileMissing : UrlOpenCause::FolderMissing;
    }
    return info.isReadable() ? UrlOpenCause::None : UrlOpenCause::AccessDenied;
}

UrlOpenCause DesktopUrlOpener::causeOf(StartResult result) {
    switch (result) {
        case StartResult::Started:
            return UrlOpenCause::None;
        case StartResult::NotFound:
            return UrlOpenCause::HandlerMissing;
        case StartResult::AccessDenied:
            return UrlOpenCause::AccessDenied;
        case StartResult::BadFormat:
            return UrlOpenCause::HandlerInvalid;
        case StartResult::MissingInterpreter:
            return UrlOpenCause::InterpreterMissing;
        case StartResult::NoResources:
            return UrlOpenCause::NoResources;
    }
    return UrlOpenCause::HandlerMissing;
}

UrlOpenResult DesktopUrlOpener::openUrl(const std::string& text) {
    const QUrl url = parseUrl(QString::fromStdString(text));
    if (url.isEmpty()) {
        return {UrlOpenStatus::InvalidUrl, "not a URL: \"" + text + "\"", UrlOpenCause::NotAUrl};
    }
    if (url.isLocalFile()) {
        const UrlOpenCause cause = checkLocalFile(url.toLocalFile());
        if (cause != UrlOpenCause::None) {
            return {UrlOpenStatus::InvalidUrl, "cannot open " + url.toLocalFile().toStdString(),
                    cause};
        }
    }
    const QString encoded = QString::fromUtf8(url.toEncoded());

    if (launcher_.openWithDesktop(url)) {
        return {UrlOpenStatus::Opened, "desktop services"};
    }

    // Each handler that fails replaces the cause; the last one tried is reported.
    bool tried = false;
    UrlOpenCause cause = UrlOpenCause::None;
    std::string failures;
    const auto failed = [&](const QString& what, StartResult result) {
        tried = true;
        cause = causeOf(result);
        if (!failures.empty()) {
            failures += "; ";
        }
        failures += what.toStdString() + " did not start";
    };

    const QString xdgOpen = launcher_.findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty()) {
        const StartResult result = launcher_.startDetached(xdgOpen, {encoded});
        if (result == StartResult::Started) {
            return {UrlOpenStatus::Opened, xdgOpen.toStdString()};
        }
        failed(xdgOpen, result);
    }

    const QStringList browsers =
        launcher_.environment("BROWSER").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& command : browsers) {
        QStringList parts = browserCommand(command, encoded);
        if (parts.isEmpty()) {
            continue;
        }
        const QString program = parts.takeFirst();
        const StartResult result = launcher_.startDetached(program, parts);
        if (result == StartResult::Started) {
            return {UrlOpenStatus::Opened, program.toStdString()};
        }
        failed(QLatin1Char('"') + command + QLatin1Char('"'), result);
    }

    if (!tried) {
        return {UrlOpenStatus::NoHandler, "no xdg-open and no $BROWSER"};
    }
    return {UrlOpenStatus::LaunchFailed, failures, cause};
}

}  // namespace horalux
