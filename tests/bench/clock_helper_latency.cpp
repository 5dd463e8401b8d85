// The time from a request to the clock helper to its answer (the step made), through the
// program's own client: the first request (the bus starts the helper) and N more of a step of 0.
// Run it by tests/bench/clock_helper_latency.sh, which puts it on a private system bus with the
// helper on a virtual clock.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/clock_helper.h"

namespace {

double askMs(horalux::BusClockHelper& helper) {
    const auto start = std::chrono::steady_clock::now();
    const horalux::ClockHelperAnswer answer = helper.step(std::chrono::microseconds{0}, {});
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (answer.status != horalux::ClockHelperAnswer::Status::Stepped) {
        std::fprintf(stderr, "clock_helper_latency: %s %s\n", answer.errorName.c_str(),
                     answer.message.c_str());
        std::exit(1);
    }
    return took.count();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100;
    if (count < 1) {
        std::fprintf(stderr, "usage: clock_helper_latency [N]\n");
        return 2;
    }
    horalux::BusClockHelper helper;
    const double first = askMs(helper);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(askMs(helper));
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "request to step: first (the bus starts the helper) %.1f ms; then over %d: median "
        "%.2f ms, 95th percentile %.2f ms, worst %.2f ms\n",
        first, count, times[times.size() / 2], times[times.size() * 95 / 100], times.back());
    return 0;
}
