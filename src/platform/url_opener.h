#pragma once

#include <string>

namespace horalux {

// How an attempt to open a URL (a web page, a mail address, a local help page) ended.
enum class UrlOpenStatus {
    Opened,        // a handler was started for it
    InvalidUrl,    // the text is not a URL, or names a local file that cannot be opened
    NoHandler,     // nothing on this desktop can open URLs
    LaunchFailed,  // handlers exist but none of them could be started
};

// What went wrong, as closely as the system tells: for InvalidUrl the target, for LaunchFailed
// the last handler tried.
enum class UrlOpenCause {
    None,                // opened, or no handler at all
    NotAUrl,             // the text is neither a URL nor an absolute path
    FileMissing,         // a local file that does not exist
    FolderMissing,       // a local file whose folder does not exist
    AccessDenied,        // a local file that may not be read, or a handler that may not be run
    HandlerMissing,      // a handler named in $BROWSER that is not installed
    HandlerInvalid,      // a handler that is not a program the system can run
    InterpreterMissing,  // a handler script whose interpreter is missing
    NoResources,         // the system could not start another process
};

struct UrlOpenResult {
    UrlOpenStatus status = UrlOpenStatus::NoHandler;
    std::string detail;  // which handler was started, or what went wrong
    UrlOpenCause cause = UrlOpenCause::None;

    bool ok() const { return status == UrlOpenStatus::Opened; }

    // The result as a shell-execute style code, for callers whose messages are keyed by them:
    // above 32 on success; otherwise the code nearest to the cause: 2 "file not found" (not a
    // URL, a missing file), 3 "path not found", 5 "access denied", 11 "invalid program",
    // 27 "association incomplete or invalid" (a missing handler, or one that failed for no
    // known reason), 31 "no application associated" (no handler at all), 32 "library not
    // found" (a missing interpreter), 0 "out of memory or resources".
    int shellCode() const;
};

inline int UrlOpenResult::shellCode() const {
    if (status == UrlOpenStatus::Opened) {
        return 42;
    }
    if (status == UrlOpenStatus::NoHandler) {
        return 31;
    }
    switch (cause) {
        case UrlOpenCause::NotAUrl:
        case UrlOpenCause::FileMissing:
            return 2;
        case UrlOpenCause::FolderMissing:
            return 3;
        case UrlOpenCause::AccessDenied:
            return 5;
        case UrlOpenCause::HandlerInvalid:
            return 11;
        case UrlOpenCause::InterpreterMissing:
            return 32;
        case UrlOpenCause::NoResources:
            return 0;
        case UrlOpenCause::None:
        case UrlOpenCause::HandlerMissing:
            break;
    }
    return status == UrlOpenStatus::InvalidUrl ? 2 : 27;
}

// Opens URLs with the desktop's handlers. Opening never waits for the handler to finish.
class UrlOpener {
  public:
    virtual ~UrlOpener() = default;
    virtual UrlOpenResult openUrl(const std::string& url) = 0;
};

}  // namespace horalux
