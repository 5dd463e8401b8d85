#include "sync/network_update.h"

#include "app/settings_keys.h"
#include "sync/daytime_client.h"
#include "sync/nts_session.h"
#include "sync/sntp_client.h"

namespace horalux {

UpdateOutcome RunNetworkUpdate(SyncContext& ctx, const std::string& server) {
    UpdateOutcome outcome;
    outcome.source = server;
    if (ctx.store.read(keys::UseSNTPForUpdate) != 1) {
        outcome.reference = UpdateReference::Daytime;
        ctx.flags.ntsFailure = 0;
        DaytimeClient client(ctx.clock, ctx.flags, ctx.setter);
        client.Update(server, ctx.runtime.daytimePort);
        outcome.result = client.lastResult();
        return outcome;
    }

    outcome.reference = UpdateReference::Sntp;
    SntpClient client(ctx.clock, ctx.setter);
    int code = 1;
    if (ctx.store.read(keys::UseNTS) == 1) {
        NtsSessions once;  // nothing kept for the program: this update's alone
        code = client.SntpUpdate(server, ctx.nts != nullptr ? *ctx.nts : once);
    } else {
        code = client.SntpUpdate(server);
    }
    ctx.flags.ntsFailure = static_cast<int32_t>(client.lastNtsFailure());
    ctx.flags.networkFailed = code == 0 ? 0 : 1;
    outcome.result = client.lastResult();
    if (client.lastMeasurement().samples > 0) {
        outcome.delayMs = client.lastMeasurement().delay * 1000.0;
    }
    if (code == 1) {
        outcome.detail = client.lastFailure();
    }
    return outcome;
}

int NetworkUpdate(SyncContext& ctx, const std::string& server) {
    return RunNetworkUpdate(ctx, server).result == UpdateResult::Set ? 1 : 0;
}

}  // namespace horalux
