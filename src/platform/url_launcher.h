#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace horalux {

// The desktop services a URL opener tries in turn. Tests replace it to see what would be started.
class UrlLauncher {
  public:
    virtual ~UrlLauncher() = default;

    // The desktop's own URL handling (Qt's desktop services); false when it could not open it.
    virtual bool openWithDesktop(const QUrl& url) = 0;
    // The full path of a program found on PATH (or the path itself when it names an executable),
    // empty when there is none.
    virtual QString findExecutable(const QString& program) = 0;
    // Starts a program detached from this process, without a shell; false when it cannot start.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // An environment variable, empty when unset.
    virtual QString environment(const char* name) = 0;
};

// The real thing: QDesktopServices, PATH lookup, QProcess::startDetached, the environment.
class SystemUrlLauncher final : public UrlLauncher {
  public:
    bool openWithDesktop(const QUrl& url) override;
    QString findExecutable(const QString& program) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
    QString environment(const char* name) override;
};

}  // namespace horalux
