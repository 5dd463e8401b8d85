#include <cstdio>

#include "diag/diag_commands.h"

namespace horalux::diag {

int runSntp(const std::vector<std::string>&) {
    std::fprintf(stderr, "horalux-diag sntp: not available in this build\n");
    return 1;
}

}  // namespace horalux::diag
