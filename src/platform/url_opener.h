#pragma once

#include <string>

namespace horalux {

// How an attempt to open a URL (a web page, a mail address, a local help page) ended.
enum class UrlOpenStatus {
    Opened,        // a handler was started for it
    InvalidUrl,    // the text is not a URL (nor an absolute file path)
    NoHandler,     // nothing on this desktop can open URLs
    LaunchFailed,  // handlers exist but none of them could be started
};

struct UrlOpenResult {
    UrlOpenStatus status = UrlOpenStatus::NoHandler;
    std::string detail;  // which handler was started, or what went wrong

    bool ok() const { return status == UrlOpenStatus::Opened; }

    // The result as a shell-execute style code, for callers whose messages are keyed by them:
    // above 32 on success, 2 "file not found" for an invalid URL, 31 "no application associated"
    // when no handler exists, 27 "association incomplete or invalid" when the handlers failed.
    int shellCode() const;
};

inline int UrlOpenResult::shellCode() const {
    switch (status) {
        case UrlOpenStatus::Opened:
            return 42;
        case UrlOpenStatus::InvalidUrl:
            return 2;
        case UrlOpenStatus::NoHandler:
            return 31;
        case UrlOpenStatus::LaunchFailed:
            return 27;
    }
    return 0;
}

// Opens URLs with the desktop's handlers. Opening never waits for the handler to finish.
class UrlOpener {
  public:
    virtual ~UrlOpener() = default;
    virtual UrlOpenResult openUrl(const std::string& url) = 0;
};

}  // namespace horalux
