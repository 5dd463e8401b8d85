// The error of the clock set by SNTP against chronyd on loopback, which serves the system time:
// a virtual clock is put off by a random amount, one network update by SNTP sets it, and its
// remaining offset from the system clock is the error. Also the offset that one query measures
// (which should be 0). Run by hand: <build>/bin/sntp_error [updates]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "platform/fake_time_capability.h"
#include "platform/memory_settings_store.h"
#include "platform/system_clock.h"
#include "support/chrony_server.h"
#include "support/test_dirs.h"
#include "sync/network_update.h"
#include "sync/sntp_client.h"

using namespace horalux;

namespace {

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

void report(const char* what, const char* unit, const std::vector<double>& values) {
    std::vector<double> magnitude;
    for (const double v : values) {
        magnitude.push_back(std::fabs(v));
    }
    std::printf("%s over %zu: median |error| %.3f %s, 95th percentile %.3f %s, worst %.3f %s\n",
                what, values.size(), percentile(magnitude, 0.5), unit, percentile(magnitude, 0.95),
                unit, percentile(magnitude, 1.0), unit);
    std::printf("  signed:");
    for (const double v : values) {
        std::printf(" %.3f", v);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int updates = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::string missing = test::ChronyServer::unavailableReason(false);
    if (!missing.empty()) {
        std::fprintf(stderr, "sntp_error: %s\n", missing.c_str());
        return 1;
    }
    test::ChronyServer server;
    if (!server.start({})) {
        std::fprintf(stderr, "sntp_error: chronyd did not start: %s\n", server.failure().c_str());
        return 1;
    }
    const std::string name = "127.0.0.1:" + std::to_string(server.port());

    test::TempDir dir;
    VirtualSystemClock clock(dir.file("offset"));
    MemorySettingsStore store;
    store.write(keys::UseSNTPForUpdate, 1);
    FakeTimeCapability capability;  // the virtual clock needs no permission
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    ClockSetter setter(clock, capability, ClockPath::Virtual, nullptr);
    SyncContext ctx{store, clock, capability, setter, runtime, gps, flags};

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int64_t> wrongBy(-3600 * 1000, 3600 * 1000);
    std::vector<double> setErrors;
    std::vector<double> queryErrors;
    for (int i = 0; i < updates; ++i) {
        if (!clock.setUtc(utcFromUnixMillis(systemUnixMillis() + wrongBy(random)))) {
            std::fprintf(stderr, "sntp_error: cannot write %s\n", clock.offsetFile().c_str());
            return 1;
        }
        if (NetworkUpdate(ctx, name) != 1) {
            std::fprintf(stderr, "sntp_error: update %d failed\n", i + 1);
            return 1;
        }
        setErrors.push_back(static_cast<double>(clock.offsetMillis()));

        SntpClient client(clock, setter);
        SntpResult result;
        if (client.Query(name, result, 123) == 1) {
            queryErrors.push_back(result.offset * 1e6 +
                                  static_cast<double>(clock.offsetMillis()) * 1e3);
        }
    }
    report("clock set by one SNTP update (virtual clock, whole ms)", "ms", setErrors);
    report("offset measured by one query", "us", queryErrors);
    return 0;
}
