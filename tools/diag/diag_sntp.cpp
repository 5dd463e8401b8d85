// horalux-diag sntp HOST [--port N]: one SNTP query with the program's client; prints the four
// timestamps and the offset as JSON. Never sets the clock.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "diag/diag_commands.h"
#include "diag/diag_host_port.h"
#include "platform/system_clock.h"
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

// The permission to set the clock, which a query never asks for.
class NoTimeCapability final : public TimeCapability {
  public:
    Result raise() override { return Result::Failed; }
    void lower() override {}
};

}  // namespace

int runSntp(const std::vector<std::string>& args) {
    const auto target = parseHostAndPort(args, "sntp", SntpClient::kSntpPort);
    if (!target) {
        return 2;
    }
    const auto clock = makeSystemClock();
    NoTimeCapability noCapability;
    ClockSetter never(*clock, noCapability);
    SntpClient client(*clock, never);
    SntpResult r;
    if (client.Query(target->host, r, target->port) == 0) {
        std::fprintf(stderr, "horalux-diag sntp: %s\n", client.lastFailure().c_str());
        return 1;
    }
    std::printf("{\"t1\": %s, \"t2\": %s, \"t3\": %s, \"t4\": %s, \"offset\": %.9f}\n",
                ntpSeconds(r.t1).c_str(), ntpSeconds(r.t2).c_str(), ntpSeconds(r.t3).c_str(),
                ntpSeconds(r.t4).c_str(), r.offset);
    return 0;
}

}  // namespace horalux::diag
