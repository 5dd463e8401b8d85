#include "sync/network_update.h"

#include "app/settings_keys.h"
#include "sync/daytime_client.h"
#include "sync/sntp_client.h"

namespace horalux {

int NetworkUpdate(SyncContext& ctx, const std::string& server) {
    if (ctx.store.read(keys::UseSNTPForUpdate) == 1) {
        SntpClient client(ctx.clock, ctx.setter);
        if (client.SntpUpdate(server) == 0) {
            ctx.flags.networkFailed = 0;
            return 1;
        }
        ctx.flags.networkFailed = 1;
        return 0;
    }
    DaytimeClient client(ctx.clock, ctx.flags, ctx.setter);
    return client.Update(server, ctx.runtime.daytimePort);
}

}  // namespace horalux
