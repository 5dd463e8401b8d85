#pragma once

#include <string>
#include <vector>

#include "platform/url_opener.h"

namespace horalux {

// Records the URLs it is asked to open and answers with a chosen result.
class FakeUrlOpener final : public UrlOpener {
  public:
    UrlOpenResult openUrl(const std::string& url) override {
        urls.push_back(url);
        return answer;
    }

    UrlOpenResult answer{UrlOpenStatus::Opened, "fake"};
    std::vector<std::string> urls;
};

}  // namespace horalux
