#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace horalux {

// How an attempt to start a program ended.
enum class StartResult {
    Started,
    NotFound,            // no such program (not on PATH, or no file at the path)
    AccessDenied,        // the file is there but may not be run
    BadFormat,           // the file is not a program the system can run
    MissingInterpreter,  // a script whose interpreter ("#!") is missing or may not be run
    NoResources,         // the system could not start another process
};

// The desktop services a URL opener tries in turn. Tests replace it to see what would be started.
class UrlLauncher {
  public:
    virtual ~UrlLauncher() = default;

    // The desktop's own URL handling (Qt's desktop services); false when it could not open it.
    virtual bool openWithDesktop(const QUrl& url) = 0;
    // The full path of a program found on PATH (or the path itself when it names an executable),
    // empty when there is none.
    virtual QString findExecutable(const QString& program) = 0;
    // Starts a program (a name looked up on PATH, or a path) detached from this process, without
    // a shell, and says why when it could not.
    virtual StartResult startDetached(const QString& program, const QStringList& arguments) = 0;
    // An environment variable, empty when unset.
    virtual QString environment(const char* name) = 0;
};

// The real thing: QDesktopServices, PATH lookup, QProcess::startDetached, the environment.
class SystemUrlLauncher final : public UrlLauncher {
  public:
    bool openWithDesktop(const QUrl& url) override;
    QString findExecutable(const QString& program) override;
    StartResult startDetached(const QString& program, const QStringList& arguments) override;
    QString environment(const char* name) override;

    // Why a program that did not start failed, from what its file looks like: missing, not
    // executable, a script whose interpreter is missing, neither a script nor a binary; else the
    // system lacked the resources.
    static StartResult diagnose(const QString& program);
};

}  // namespace horalux
