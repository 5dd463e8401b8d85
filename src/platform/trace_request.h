#pragma once

#include <cstdlib>

namespace horalux {

// Whether HORALUX_TRACE begins with 1: the program then reports on stderr, one "horalux: ..."
// line each, what tests driving it follow from outside.
inline bool TraceRequested() {
    const char* value = std::getenv("HORALUX_TRACE");
    return value != nullptr && value[0] == '1';
}

}  // namespace horalux
