#include <cstdio>

#include "diag/diag_commands.h"

namespace horalux::diag {

int runNmea(const std::vector<std::string>&) {
    std::fprintf(stderr, "horalux-diag nmea: not available in this build\n");
    return 1;
}

}  // namespace horalux::diag
