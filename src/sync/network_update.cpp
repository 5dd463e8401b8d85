#include "sync/network_update.h"

#include "app/settings_keys.h"
#include "sync/daytime_client.h"
#include "sync/sntp_client.h"

namespace horalux {

UpdateOutcome RunNetworkUpdate(SyncContext& ctx, const std::string& server) {
    UpdateOutcome outcome;
    outcome.source = server;
    if (ctx.store.read(keys::UseSNTPForUpdate) == 1) {
        outcome.reference = UpdateReference::Sntp;
        SntpClient client(ctx.clock, ctx.capability);
        const int result = client.SntpUpdate(server);
        ctx.flags.networkFailed = result == 0 ? 0 : 1;
        outcome.result = client.lastResult();
        if (result != 1) {
            outcome.delayMs = RoundTripDelayMs(client.lastMeasurement());
        }
        return outcome;
    }
    outcome.reference = UpdateReference::Daytime;
    DaytimeClient client(ctx.clock, ctx.flags);
    client.Update(server, ctx.runtime.daytimePort);
    outcome.result = client.lastResult();
    return outcome;
}

int NetworkUpdate(SyncContext& ctx, const std::string& server) {
    return RunNetworkUpdate(ctx, server).result == UpdateResult::Set ? 1 : 0;
}

}  // namespace horalux
