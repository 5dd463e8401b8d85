#pragma once

#include <string>

#include "sync/sync_context.h"
#include "sync/update_outcome.h"

namespace horalux {

// One network clock update with the given server, by SNTP or Daytime as "UseSNTP" says; reports
// in ctx.flags.networkFailed. Returns how it ended (reference, server, result, the SNTP reply's
// round-trip delay); the worker adds the time and the correction.
UpdateOutcome RunNetworkUpdate(SyncContext& ctx, const std::string& server);

// The same, answering 1 when the clock was set and 0 when not.
int NetworkUpdate(SyncContext& ctx, const std::string& server);

}  // namespace horalux
