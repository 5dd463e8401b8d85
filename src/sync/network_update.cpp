#include "sync/network_update.h"

#include "app/settings_keys.h"
#include "sync/daytime_client.h"
#include "sync/nts_session.h"
#include "sync/sntp_client.h"

namespace horalux {

NetworkUpdateReport RunNetworkUpdate(SyncContext& ctx, const std::string& server) {
    NetworkUpdateReport report;
    if (ctx.store.read(keys::UseSNTPForUpdate) != 1) {
        ctx.flags.ntsFailure = 0;
        DaytimeClient client(ctx.clock, ctx.flags, ctx.setter);
        report.result = client.Update(server, ctx.runtime.daytimePort);
        return report;
    }

    SntpClient client(ctx.clock, ctx.setter);
    int code = 1;
    if (ctx.store.read(keys::UseNTS) == 1) {
        NtsSessions once;  // nothing kept for the program: this update's alone
        code = client.SntpUpdate(server, ctx.nts != nullptr ? *ctx.nts : once);
    } else {
        code = client.SntpUpdate(server);
    }
    report.ntsFailure = client.lastNtsFailure();
    ctx.flags.ntsFailure = static_cast<int32_t>(report.ntsFailure);
    if (client.lastResult().samples > 0) {
        report.delayMs = client.lastResult().delay * 1000.0;
    }
    if (code == 0) {
        ctx.flags.networkFailed = 0;
        report.result = 1;
        return report;
    }
    report.failure = code == 2 ? "the clock was not set" : client.lastFailure();
    ctx.flags.networkFailed = 1;
    return report;
}

int NetworkUpdate(SyncContext& ctx, const std::string& server) {
    return RunNetworkUpdate(ctx, server).result;
}

}  // namespace horalux
