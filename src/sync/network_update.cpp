#include "sync/network_update.h"

namespace horalux {

// Placeholder until the SNTP and Daytime clients land: reports the server as unreachable.
int NetworkUpdate(SyncContext& ctx, const std::string&) {
    ctx.flags.networkFailed = 1;
    return 0;
}

}  // namespace horalux
