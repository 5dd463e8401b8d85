#pragma once

#include <string>

#include "sync/sync_context.h"
#include "sync/update_outcome.h"

namespace horalux {

// One network clock update with the given server, by SNTP or Daytime as "UseSNTP" says, and by
// SNTP authenticated with NTS when "UseNTS" is also 1; reports in ctx.flags.networkFailed (and,
// for NTS, ctx.flags.ntsFailure). Returns how it ended (reference, server, result, the chosen
// SNTP sample's round-trip delay, the client's own words on a failure); the worker adds the time
// and the correction.
UpdateOutcome RunNetworkUpdate(SyncContext& ctx, const std::string& server);

// The same, answering 1 when the clock was set and 0 when not.
int NetworkUpdate(SyncContext& ctx, const std::string& server);

}  // namespace horalux
