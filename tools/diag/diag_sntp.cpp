// horalux-diag sntp HOST [--port N] [--nts]: one SNTP exchange with the program's client (the
// best of its requests); prints the chosen sample's four timestamps, offset and delay as JSON.
// With --nts the exchange is authenticated: HOST (and --port) name the NTS key-exchange server,
// and the output also names the NTP server it named, the AEAD algorithm and the cookies left.
// Never sets the clock.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "diag/diag_commands.h"
#include "diag/diag_host_port.h"
#include "platform/system_clock.h"
#include "sync/nts_key_exchange.h"
#include "sync/nts_session.h"
#include "sync/sntp_client.h"

namespace horalux::diag {

namespace {

// An NTP timestamp as seconds with nine decimals, computed exactly.
std::string ntpSeconds(NtpTimestamp t) {
    const auto seconds = static_cast<uint32_t>(t >> 32);
    const uint64_t nanos = ((t & 0xFFFFFFFFu) * 1000000000ull) >> 32;
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu32 ".%09" PRIu64, seconds, nanos);
    return text;
}

}  // namespace

int runSntp(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool nts = std::erase(args, "--nts") > 0;
    const auto target =
        parseHostAndPort(args, "sntp", nts ? kNtsKeyExchangePort : SntpClient::kSntpPort);
    if (!target) {
        return 2;
    }
    const auto clock = makeSystemClock();
    NoTimeCapability noCapability;
    ClockSetter never(*clock, noCapability);
    SntpClient client(*clock, never);
    SntpResult r;
    NtsSessions sessions;
    const int answered = nts ? client.QueryNts(target->host, r, target->port, sessions)
                             : client.Query(target->host, r, target->port);
    if (answered == 0) {
        const NtsFailure failure = client.lastNtsFailure();
        std::fprintf(stderr, "horalux-diag sntp: %s%s%s\n", client.lastFailure().c_str(),
                     failure == NtsFailure::None ? "" : "\n", describe(failure));
        return 1;
    }
    std::string fields;
    if (nts) {
        const NtsExchangeInfo& info = client.lastNtsExchange();
        fields = "\"server\": \"" + info.server + "\", \"port\": " + std::to_string(info.port) +
                 ", \"aead\": \"" + ntske::kAeadName +
                 "\", \"cookies\": " + std::to_string(info.cookiesLeft) + ", ";
    }
    std::printf(
        "{%s\"t1\": %s, \"t2\": %s, \"t3\": %s, \"t4\": %s, \"offset\": %.9f, "
        "\"delay\": %.9f, \"samples\": %d}\n",
        fields.c_str(), ntpSeconds(r.t1).c_str(), ntpSeconds(r.t2).c_str(),
        ntpSeconds(r.t3).c_str(), ntpSeconds(r.t4).c_str(), r.offset, r.delay, r.samples);
    return 0;
}

}  // namespace horalux::diag
