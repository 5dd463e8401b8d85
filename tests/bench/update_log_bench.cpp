// Times the record of clock updates in a folder of its own (default: a new one under /tmp):
//   update_log_bench [N] [FOLDER]     (N appends, default 3000)
// One append (a line added with one write), the append that rewrites the file once it would
// hold twice the capacity (1000 lines written beside it, flushed to the disk, renamed over it),
// and reading a full file at start-up. Medians and the largest, in microseconds.
// Not a test: run it by hand.
#include <stdlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/update_log.h"

namespace {

using namespace horalux;
using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%s: median %.1f us, largest %.1f us (%zu times)\n", what, times[times.size() / 2],
                times.back(), times.size());
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(2000, std::atoi(argv[1])) : 3000;
    std::string dir = argc > 2 ? argv[2] : "/tmp/horalux-update-log-XXXXXX";
    if (argc <= 2 && mkdtemp(dir.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = dir + "/clock-updates.log";
    std::filesystem::remove(path);
    std::vector<double> appends;
    std::vector<double> rewrites;
    {
        UpdateLog log(path);
        log.Load();
        UpdateOutcome outcome;
        outcome.reference = UpdateReference::Sntp;
        outcome.source = "pool.ntp.example:123";
        outcome.delayMs = 0.412;
        for (int i = 0; i < n; ++i) {
            outcome.timeMs = 1714572000000 + i * 60000LL;
            outcome.correctionMs = i % 40 - 20;
            const auto before =
                std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0;
            const auto start = Clock::now();
            log.Append(outcome);
            const double took = Micros(Clock::now() - start);
            (std::filesystem::file_size(path) < before ? rewrites : appends).push_back(took);
        }
    }
    Report("append", appends);
    Report("append that rewrites the file", rewrites);
    std::vector<double> loads;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        UpdateLog log(path);
        log.Load();
        loads.push_back(Micros(Clock::now() - start));
    }
    std::printf("file: %s, %ju bytes\n", path.c_str(),
                static_cast<uintmax_t>(std::filesystem::file_size(path)));
    Report("load at start-up", loads);
    if (argc <= 2) {
        std::filesystem::remove_all(dir);
    }
    return 0;
}
