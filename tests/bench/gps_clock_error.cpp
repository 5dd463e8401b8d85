// How far from the true time the GPS update sets the clock: nmea-replay plays a receiver into a
// pseudo-terminal pair, N ms after each UTC second of the system clock; "GPSTimeDelay" is N, so a
// perfect update would set the (virtual) clock to the system time. Before each update the
// virtual clock is moved 7 s off; after it, the clock file's offset is the error. The port is
// read as the program reads it: as soon as bytes arrive, and on the 50 ms heartbeat;
// --heartbeat-only reads it on the heartbeat alone, as the program did before it watched the port.
//   gps_clock_error [--updates K] [--latency-ms N] [--log FILE] [--heartbeat-only]
// Run by hand from the build folder (needs nmea-replay built and socat); never sets the system
// clock. Prints each error and the median and 95th percentile, in ms, and the CPU time the
// process used during each update (the worker's wait for the second turn-overs dominates it).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gps_replay_rig.h"
#include "support/cpu_time.h"

namespace {

using namespace std::chrono_literals;

// The nearest-rank percentile of sorted values.
double percentile(const std::vector<double>& sorted, double p) {
    const size_t rank =
        static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<size_t>(rank, 1, sorted.size()) - 1];
}

double median(const std::vector<double>& sorted) {
    const size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    int updates = 25;
    int latency = 100;
    std::vector<std::string> source{"--synthetic"};
    bool watchPort = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--heartbeat-only") {
            watchPort = false;
        } else if (arg == "--updates" && value != nullptr) {
            updates = std::max(1, std::atoi(value));
            ++i;
        } else if (arg == "--latency-ms" && value != nullptr) {
            latency = std::clamp(std::atoi(value), 0, 999);
            ++i;
        } else if (arg == "--log" && value != nullptr) {
            source = {value, "--loop"};
            ++i;
        } else {
            std::fprintf(stderr,
                         "usage: gps_clock_error [--updates K] [--latency-ms N] [--log FILE] "
                         "[--heartbeat-only]\n");
            return 2;
        }
    }

    horalux::test::GpsReplayRig::useTimeZoneWithLocalNoon();
    horalux::test::GpsReplayRig rig(source, latency, watchPort);
    const std::string problem = rig.start();
    if (!problem.empty()) {
        std::fprintf(stderr, "gps_clock_error: %s\n", problem.c_str());
        return 1;
    }
    if (!rig.waitLocked(30s)) {
        std::fprintf(stderr, "gps_clock_error: the receiver gave no time lock\n");
        return 1;
    }

    std::vector<double> errors;
    std::vector<double> cpuMs;
    for (int i = 0; i < updates; ++i) {
        // The main frame's timer keeps its phase against the UTC second for a whole run; sweep
        // it over the 50 ms so the figures cover every phase a run may have.
        if (i > 0) {
            rig.shiftTimerPhase(
                std::chrono::milliseconds(50 * i / updates - 50 * (i - 1) / updates));
        }
        rig.clock().setOffset(7000);
        const double cpuBefore = horalux::test::processCpuSeconds();
        const std::optional<int64_t> error = rig.update(20s);
        const double cpu = (horalux::test::processCpuSeconds() - cpuBefore) * 1000.0;
        if (!error) {
            std::fprintf(stderr, "update %d set nothing\n", i + 1);
            continue;
        }
        cpuMs.push_back(cpu);
        std::printf("update %2d: error %+5lld ms, CPU %.1f ms\n", i + 1,
                    static_cast<long long>(*error), cpu);
        errors.push_back(static_cast<double>(*error));
    }
    if (errors.empty()) {
        return 1;
    }
    std::vector<double> magnitudes;
    for (double e : errors) {
        magnitudes.push_back(std::abs(e));
    }
    std::sort(errors.begin(), errors.end());
    std::sort(magnitudes.begin(), magnitudes.end());
    std::printf("latency %d ms, GPSTimeDelay %d ms, %zu updates, port read %s\n", latency, latency,
                errors.size(), watchPort ? "as bytes arrive" : "on the 50 ms heartbeat only");
    std::printf("error (set clock - system time): median %+.0f ms, 5th %+.0f ms, 95th %+.0f ms\n",
                median(errors), percentile(errors, 5), percentile(errors, 95));
    std::printf("|error|: median %.0f ms, 95th percentile %.0f ms, max %.0f ms\n",
                median(magnitudes), percentile(magnitudes, 95), magnitudes.back());
    std::sort(cpuMs.begin(), cpuMs.end());
    std::printf("CPU time of the process during one update: median %.1f ms, max %.1f ms\n",
                median(cpuMs), cpuMs.back());
    return 0;
}
