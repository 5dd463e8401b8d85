#pragma once

#include <optional>
#include <string>

#include "sync/nts_failure.h"
#include "sync/sync_context.h"

namespace horalux {

// How one network clock update went, in a form that can be recorded.
struct NetworkUpdateReport {
    int result = 0;                 // 1 done, 0 not done (as NetworkUpdate returns)
    std::optional<double> delayMs;  // the chosen SNTP sample's round-trip delay, when measured
    NtsFailure ntsFailure = NtsFailure::None;
    std::string failure;  // why it failed, in words (empty when it did not, or for Daytime)
};

// One network clock update with the given server, by SNTP or Daytime as "UseSNTP" says, and by
// SNTP authenticated with NTS when "UseNTS" is also 1; reports in ctx.flags.networkFailed (and,
// for NTS, ctx.flags.ntsFailure).
NetworkUpdateReport RunNetworkUpdate(SyncContext& ctx, const std::string& server);

// The same, returning 1 when done and 0 when not.
int NetworkUpdate(SyncContext& ctx, const std::string& server);

}  // namespace horalux
