#include "ui/help_manual.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include "resources/horalux_resources.h"

namespace horalux {
namespace {

const QString kResourceFolder = QStringLiteral(":/help");

}  // namespace

HelpManual::HelpManual(UrlOpener& opener, MessageService& messages, QString folder,
                       QString installed)
    : opener_(opener),
      messages_(messages),
      folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)),
      installed_(std::move(installed)) {}

QString HelpManual::installedFolder() {
    if (QCoreApplication::instance() == nullptr) {
        return {};
    }
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/horalux/help"));
}

QString HelpManual::defaultFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!base.isEmpty()) {
        return base + QStringLiteral("/horalux-help");
    }
    base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (base.isEmpty()) {
        base = QDir::tempPath();
    }
    return base + QStringLiteral("/Horalux/help");
}

QString HelpManual::pageForContext(uint32_t context) {
    if (context == kFirstRunContext) {
        return QStringLiteral("first-run.html");
    }
    return QString::fromLatin1(kIndexPage);
}

std::optional<QString> HelpManual::extract(QString* error) {
    initResources();
    const QDir target(folder_);
    if (!target.exists() && !QDir().mkpath(folder_)) {
        if (error != nullptr) {
            *error = QStringLiteral("Cannot create the folder %1.").arg(folder_);
        }
        return std::nullopt;
    }
    QFile::setPermissions(folder_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDirIterator pages(kResourceFolder, QDir::Files);
    int written = 0;
    while (pages.hasNext()) {
        const QString source = pages.next();
        const QString destination = target.filePath(QFileInfo(source).fileName());
        if (extracted_ && QFileInfo::exists(destination)) {
            continue;
        }
        QFile in(source);
        QSaveFile out(destination);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            out.write(in.readAll()) < 0 || !out.commit()) {
            if (error != nullptr) {
                *error = QStringLiteral("Cannot write %1: %2.").arg(destination, out.errorString());
            }
            return std::nullopt;
        }
        ++written;
    }
    if (!extracted_ && written == 0) {
        if (error != nullptr) {
            *error = QStringLiteral("The help pages are missing from this build.");
        }
        return std::nullopt;
    }
    extracted_ = true;
    return folder_;
}

bool HelpManual::showPage(const QString& page) {
    QString error;
    const bool installed =
        !installed_.isEmpty() && QFileInfo::exists(QDir(installed_).filePath(kIndexPage));
    const auto folder = installed ? std::optional(installed_) : extract(&error);
    if (!folder) {
        report(error);
        return false;
    }
    QString path = QDir(*folder).filePath(page);
    if (!QFileInfo::exists(path)) {
        path = QDir(*folder).filePath(QString::fromLatin1(kIndexPage));
    }
    const UrlOpenResult result =
        opener_.openUrl(QUrl::fromLocalFile(path).toString().toStdString());
    switch (result.status) {
        case UrlOpenStatus::Opened:
            return true;
        case UrlOpenStatus::NoHandler:
            report(
                QStringLiteral("No web browser was found to show it. Install one, or set "
                               "BROWSER to the command of your browser."));
            return false;
        case UrlOpenStatus::LaunchFailed:
            report(QStringLiteral("The web browser could not be started (%1).")
                       .arg(QString::fromStdString(result.detail)));
            return false;
        case UrlOpenStatus::InvalidUrl:
            report(QStringLiteral("%1 is not a valid address.").arg(path));
            return false;
    }
    return false;
}

void HelpManual::report(const QString& reason) {
    messages_.messageBox(("Unable to open the help:\n\n" + reason).toStdString(), "",
                         kIconExclamation);
}

}  // namespace horalux
