#pragma once

#include <string>

namespace horalux::diag {

// A JSON string literal of the text: quotes and backslashes escaped, control characters and
// bytes outside ASCII by their codes.
std::string jsonString(const std::string& text);

}  // namespace horalux::diag
