// Throughput of the sentence reader and parser (not a test; run by hand):
//   nmea_throughput [--min-mb N] FILE...
// Concatenates the files, feeds the bytes through NmeaReader::Feed (with NmeaParser updating a
// GpsState) again and again until at least N MB (default 256) have gone through, in several
// rounds, and prints the best and median rate in MB/s (1 MB = 10^6 bytes), by the wall clock
// and by the process's CPU time (steadier on a busy machine).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "platform/system_clock.h"

namespace {

class UnusedClock final : public horalux::SystemClock {
  public:
    horalux::SystemTime utcNow() const override { return {}; }
    horalux::SystemTime localNow() const override { return {}; }
    bool setUtc(const horalux::SystemTime&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    double minMb = 256;
    std::string input;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--min-mb" && i + 1 < argc) {
            minMb = std::atof(argv[++i]);
            continue;
        }
        std::ifstream in(arg, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "nmea_throughput: cannot read %s\n", arg.c_str());
            return 1;
        }
        input.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ++files;
    }
    if (files == 0 || input.empty()) {
        std::fprintf(stderr, "usage: nmea_throughput [--min-mb N] FILE...\n");
        return 2;
    }

    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
    const auto repeats = static_cast<long>(std::max(1.0, minMb * 1e6 / double(input.size())));
    horalux::GpsState gps;
    horalux::NmeaParser parser(gps);
    UnusedClock clock;
    horalux::NmeaReader reader(gps, parser, clock);

    std::vector<double> rates;
    std::vector<double> cpuRates;
    long sentences = 0;
    for (int round = 0; round < 5; ++round) {
        gps.sentenceCount = 0;
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        for (long r = 0; r < repeats; ++r) {
            reader.Feed(bytes, input.size());
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const double mb = double(input.size()) * double(repeats) / 1e6;
        rates.push_back(mb / elapsed.count());
        cpuRates.push_back(mb / cpuSeconds);
        sentences = gps.sentenceCount;
    }
    std::sort(rates.begin(), rates.end());
    std::sort(cpuRates.begin(), cpuRates.end());
    std::printf("input %zu bytes from %d file(s), %ld repeats per round, %ld sentences per round\n",
                input.size(), files, repeats, sentences);
    std::printf("reader+parser: best %.1f MB/s, median %.1f MB/s (wall clock)\n", rates.back(),
                rates[2]);
    std::printf("reader+parser: best %.1f MB/s, median %.1f MB/s (CPU time)\n", cpuRates.back(),
                cpuRates[2]);
    return 0;
}
