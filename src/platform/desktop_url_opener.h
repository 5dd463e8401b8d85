#pragma once

#include <QStringList>
#include <QUrl>
#include <memory>

#include "platform/url_launcher.h"
#include "platform/url_opener.h"

namespace horalux {

// Opens a URL with the first handler that starts: the desktop's own URL handling, then
// "xdg-open URL", then each command of $BROWSER in turn (a colon-separated list; "%s" in a
// command stands for the URL, otherwise the URL is appended). Programs are started detached and
// never through a shell, and the URL goes to them percent-encoded (no blanks, no quotes), so it
// is always one argument. A local file that cannot be read is refused before anything starts.
class DesktopUrlOpener final : public UrlOpener {
  public:
    DesktopUrlOpener();                                // with the system's launcher
    explicit DesktopUrlOpener(UrlLauncher& launcher);  // with a launcher of the caller's

    UrlOpenResult openUrl(const std::string& url) override;

    // A URL from its text: an absolute path becomes a file URL; anything else must be a valid URL
    // with a scheme. Empty when it is neither.
    static QUrl parseUrl(const QString& text);
    // The program and arguments of one $BROWSER command for a URL, empty when the command is.
    static QStringList browserCommand(const QString& command, const QString& url);
    // Why a local file cannot be opened; None when it can be read.
    static UrlOpenCause checkLocalFile(const QString& path);
    // The cause a handler that did not start reports.
    static UrlOpenCause causeOf(StartResult result);

  private:
    std::unique_ptr<UrlLauncher> ownLauncher_;
    UrlLauncher& launcher_;
};

}  // namespace horalux
