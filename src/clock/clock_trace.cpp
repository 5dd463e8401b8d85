#include "clock/clock_trace.h"

#include <cstdio>
#include <cstdlib>

namespace horalux {

ClockTrace::ClockTrace() {
    const char* value = std::getenv("HORALUX_TRACE");
    on_ = value != nullptr && value[0] == '1';
}

void ClockTrace::line(const std::string& text) const {
    if (on_) {
        std::fprintf(stderr, "horalux: clock %s\n", text.c_str());
        std::fflush(stderr);
    }
}

}  // namespace horalux
