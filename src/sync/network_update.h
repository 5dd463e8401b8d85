#pragma once

#include <string>

#include "sync/sync_context.h"

namespace horalux {

// One network clock update with the given server, by SNTP or Daytime as "UseSNTP" says; reports
// in ctx.flags.networkFailed. Returns 1 when done, 0 when not.
int NetworkUpdate(SyncContext& ctx, const std::string& server);

}  // namespace horalux
