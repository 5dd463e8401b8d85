#include "diag/diag_options.h"

#include <charconv>
#include <cstdio>

namespace horalux::diag {

namespace {

constexpr const char* kTimeSources[] = {"gga", "rmc", "zda"};

}  // namespace

std::optional<int> WholeNumber(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<int16_t> TimeSourceNamed(const std::string& name) {
    for (int16_t n = 0; n < 3; ++n) {
        if (name == kTimeSources[n]) {
            return n;
        }
    }
    return std::nullopt;
}

const char* TimeSourceName(int16_t timeSource) {
    return timeSource >= 0 && timeSource < 3 ? kTimeSources[timeSource] : kTimeSources[0];
}

void StderrMessages::messageBox(const std::string& text, const std::string& caption, unsigned) {
    std::fprintf(stderr, "horalux-diag %s: %s%s%s\n", command_.c_str(), caption.c_str(),
                 caption.empty() ? "" : ": ", text.c_str());
}

}  // namespace horalux::diag
