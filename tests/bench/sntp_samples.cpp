// Two figures of the SNTP client, run by hand: <build>/bin/sntp_samples [exchanges]
//
// 1. Best of four against one sample: a server on loopback that serves the system time and
//    holds each reply back by a random 0 to 80 ms (the way back only, so the path is
//    asymmetric) is asked by exchanges of four requests and of one; the error of each exchange's
//    offset (the server's time is the PC's, so any offset is error) is summed up for both.
// 2. How long an NTS update takes with a key exchange and with a kept cookie, against chronyd on
//    loopback as NTS server (needs chronyd, capsh, openssl).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "platform/fake_time_capability.h"
#include "platform/memory_settings_store.h"
#include "platform/system_clock.h"
#include "support/chrony_server.h"
#include "support/loopback_servers.h"
#include "support/test_dirs.h"
#include "sync/network_update.h"
#include "sync/nts_session.h"
#include "sync/sntp_client.h"

using namespace horalux;

namespace {

NtpTimestamp systemNtpNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto seconds = static_cast<uint64_t>(now.tv_sec) + 2208988800ull;
    return (seconds << 32) + (static_cast<uint64_t>(now.tv_nsec) << 32) / 1000000000ull;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

void report(const char* what, const std::vector<double>& values, const char* unit) {
    std::vector<double> magnitude;
    for (const double v : values) {
        magnitude.push_back(std::fabs(v));
    }
    double sum = 0;
    for (const double v : magnitude) {
        sum += v;
    }
    std::printf("%-44s n=%zu  mean |x| %.2f %s, median %.2f, 95th %.2f, worst %.2f\n", what,
                values.size(), sum / static_cast<double>(values.size()), unit,
                percentile(magnitude, 0.5), percentile(magnitude, 0.95),
                percentile(magnitude, 1.0));
}

int bestOfFour(int exchanges) {
    test::UdpTestServer server;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> backDelay(0, 80);
    const bool started = server.start("127.0.0.1", [&](const std::vector<uint8_t>& request) {
        std::vector<uint8_t> packet(48, 0);
        packet[0] = 0x24;
        packet[1] = 2;
        std::copy(request.begin() + 40, request.begin() + 48, packet.begin() + 24);
        const NtpTimestamp now = systemNtpNow();
        writeNtpTimestamp(packet.data() + 32, now);
        writeNtpTimestamp(packet.data() + 40, now);
        return std::vector<test::UdpReply>{
            {packet, test::UdpReply::From::Server, std::chrono::milliseconds(backDelay(random))}};
    });
    if (!started) {
        std::fprintf(stderr, "sntp_samples: no loopback server\n");
        return 1;
    }
    const std::string name = "127.0.0.1:" + std::to_string(server.port());
    const auto clock = makeSystemClock();
    FakeTimeCapability capability;
    ClockSetter setter(*clock, capability);
    std::vector<double> errors[2];
    const int requests[2] = {1, SntpClient::kRequests};
    for (int i = 0; i < exchanges; ++i) {
        for (int k = 0; k < 2; ++k) {
            SntpClient client(*clock, setter);
            client.setRequestsPerExchange(requests[k]);
            SntpResult r;
            if (client.Query(name, r, 123) != 1) {
                std::fprintf(stderr, "sntp_samples: %s\n", client.lastFailure().c_str());
                return 1;
            }
            errors[k].push_back(r.offset * 1000.0);
        }
    }
    std::printf("Offset error against a server delaying replies by 0-80 ms (the system clock):\n");
    report("  one sample", errors[0], "ms");
    report("  best of 4 (least round trip)", errors[1], "ms");
    return 0;
}

int ntsUpdateTime(int updates) {
    const std::string missing = test::ChronyServer::unavailableReason(false);
    if (!missing.empty()) {
        std::fprintf(stderr, "sntp_samples: NTS figures skipped: %s\n", missing.c_str());
        return 1;
    }
    test::ChronyServer server;
    test::ChronyServer::Options options;
    options.nts = true;
    if (!server.start(options)) {
        std::fprintf(stderr, "sntp_samples: chronyd did not start: %s\n", server.failure().c_str());
        return 1;
    }
    ::setenv("HORALUX_NTS_CA_FILE", server.certificate().c_str(), 1);
    const std::string name = "127.0.0.1:" + std::to_string(server.ntsPort());

    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    MemorySettingsStore store;
    store.write(keys::UseSNTPForUpdate, 1);
    store.write(keys::UseNTS, 1);
    FakeTimeCapability capability;
    ClockSetter setter(clock, capability);
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    NtsSessions kept;
    std::vector<double> times[2];
    for (int i = 0; i < updates; ++i) {
        for (int warm = 0; warm < 2; ++warm) {
            NtsSessions fresh;
            SyncContext ctx{store,   clock, capability, setter,
                            runtime, gps,   flags,      warm ? &kept : &fresh};
            if (warm && kept.keyExchanges() == 0) {
                NetworkUpdate(ctx, name);  // the one key exchange the kept cookies come from
            }
            const auto start = std::chrono::steady_clock::now();
            if (NetworkUpdate(ctx, name) != 1) {
                std::fprintf(stderr, "sntp_samples: NTS update failed\n");
                return 1;
            }
            times[warm].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::printf("Time of one NTS update against chronyd on loopback (4 requests each):\n");
    report("  with a key exchange (TLS 1.3)", times[0], "ms");
    report("  with a kept cookie", times[1], "ms");
    std::printf("  key exchanges for the %d updates with kept cookies: %d\n", updates,
                kept.keyExchanges());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int status = bestOfFour(exchanges);
    return ntsUpdateTime(std::min(exchanges, 20)) | status;
}
