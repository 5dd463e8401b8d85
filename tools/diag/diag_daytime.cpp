#include <cstdio>

#include "diag/diag_commands.h"

namespace horalux::diag {

int runDaytime(const std::vector<std::string>&) {
    std::fprintf(stderr, "horalux-diag daytime: not available in this build\n");
    return 1;
}

}  // namespace horalux::diag
