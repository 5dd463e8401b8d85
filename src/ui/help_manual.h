#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/message_service.h"
#include "platform/url_opener.h"

namespace horalux {

// The help manual: HTML pages compiled into the program (":/help/"), written out to a folder of
// the user's on first use so that a web browser can show them, and opened there. An installed
// program opens the copy installed beside it instead (share/horalux/help), which every browser can
// read, sandboxed ones too.
class HelpManual {
  public:
    // Help contexts: 0x20000 plus the number of the dialog that asks for help.
    static constexpr uint32_t kFirstRunContext = 0x2008F;
    static constexpr const char* kIndexPage = "index.html";

    // `folder` is where the pages go; by default defaultFolder(). `installed` is an installed
    // copy to open instead when it holds the index page; by default installedFolder().
    HelpManual(UrlOpener& opener, MessageService& messages, QString folder = {},
               QString installed = installedFolder());

    // $XDG_RUNTIME_DIR/horalux-help (private to the user, gone at log-out), or the user's cache
    // folder when there is no runtime folder.
    static QString defaultFolder();
    // ../share/horalux/help from the program's folder, where the package installs the manual.
    static QString installedFolder();
    // The page of a help context; the contents for contexts without a page of their own.
    static QString pageForContext(uint32_t context);

    // Writes the pages into the folder (again only when one is missing). The folder on success;
    // nothing, with the reason in `error`, when it cannot be written.
    std::optional<QString> extract(QString* error = nullptr);

    // The help index and contents (the tray's "&Help Topics", F1 and the clock's menu).
    bool showIndex() { return showPage(QString::fromLatin1(kIndexPage)); }
    // The page of a dialog's help context.
    bool showContext(uint32_t context) { return showPage(pageForContext(context)); }
    // Opens one page in the browser. A failure is reported to the user in a message box and
    // returns false.
    bool showPage(const QString& page);

    const QString& folder() const { return folder_; }

  private:
    void report(const QString& reason);

    UrlOpener& opener_;
    MessageService& messages_;
    QString folder_;
    QString installed_;
    bool extracted_ = false;
};

}  // namespace horalux
