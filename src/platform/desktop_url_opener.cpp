#include "platform/desktop_url_opener.h"

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

UrlOpenResult DesktopUrlOpener::openUrl(const std::string& text) {
    const QUrl url = parseUrl(QString::fromStdString(text));
    if (url.isEmpty()) {
        return {UrlOpenStatus::InvalidUrl, "not a URL: \"" + text + "\""};
    }
    const QString encoded = QString::fromUtf8(url.toEncoded());

    if (launcher_.openWithDesktop(url)) {
        return {UrlOpenStatus::Opened, "desktop services"};
    }

    bool tried = false;
    std::string failures;
    const QString xdgOpen = launcher_.findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty()) {
        tried = true;
        if (launcher_.startDetached(xdgOpen, {encoded})) {
            return {UrlOpenStatus::Opened, xdgOpen.toStdString()};
        }
        failures += xdgOpen.toStdString() + " did not start";
    }

    const QStringList browsers =
        launcher_.environment("BROWSER").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& command : browsers) {
        QStringList parts = browserCommand(command, encoded);
        if (parts.isEmpty()) {
            continue;
        }
        tried = true;
        const QString program = launcher_.findExecutable(parts.takeFirst());
        if (!program.isEmpty() && launcher_.startDetached(program, parts)) {
            return {UrlOpenStatus::Opened, program.toStdString()};
        }
        if (!failures.empty()) {
            failures += "; ";
        }
        failures += "\"" + command.toStdString() + "\" did not start";
    }

    if (!tried) {
        return {UrlOpenStatus::NoHandler, "no xdg-open and no $BROWSER"};
    }
    return {UrlOpenStatus::LaunchFailed, failures};
}

}  // namespace horalux
