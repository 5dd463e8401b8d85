// horalux-diag daytime HOST [--port N]: one Daytime exchange with the program's client; prints
// the parsed date, time and advance as JSON. Never sets the clock.
#include <cstdio>
#include <cstring>
#include <string>

#include "diag/diag_commands.h"
#include "diag/diag_host_port.h"
#include "diag/diag_json.h"
#include "sync/daytime_client.h"

namespace horalux::diag {

int runDaytime(const std::vector<std::string>& args) {
    constexpr uint16_t kDaytimePort = 13;
    const auto target = parseHostAndPort(args, "daytime", kDaytimePort);
    if (!target) {
        return 2;
    }
    const DaytimeExchange exchange = DaytimeClient::Exchange(target->host, target->port);
    switch (exchange.status) {
        case DaytimeExchange::Status::NotConnected:
            std::fprintf(stderr, "horalux-diag daytime: cannot connect to %s: %s\n",
                         target->host.c_str(), std::strerror(exchange.error));
            return 1;
        case DaytimeExchange::Status::NoReply:
            std::fprintf(stderr, "horalux-diag daytime: %s sent nothing: %s\n",
                         target->host.c_str(),
                         exchange.error != 0 ? std::strerror(exchange.error) : "closed");
            return 1;
        case DaytimeExchange::Status::Received:
            break;
    }
    const auto reply = ParseDaytimeReply(exchange.text);
    if (!reply) {
        std::fprintf(stderr, "horalux-diag daytime: not a NIST Daytime reply: %s\n",
                     jsonString(exchange.text).c_str());
        return 1;
    }
    std::printf(
        "{\"date\": \"%04d-%02d-%02d\", \"time\": \"%02d:%02d:%02d\", \"advance\": %.1f, "
        "\"reply\": %s}\n",
        reply->year, reply->month, reply->day, reply->hour, reply->minute, reply->second,
        reply->advanceMs, jsonString(exchange.text).c_str());
    return 0;
}

}  // namespace horalux::diag
