#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "gps/nmea_parser.h"

namespace horalux {
namespace {

// The clock setter reads the time fields on its own thread while the parser decodes.
TEST(NmeaParserPublication, TheClockSetterSeesHourMinuteAndDateOfTheSameSentence) {
    // Each sentence n carries hh = mm = ss = n % 24 and day = month = n % 12 + 1, year 2000 + n %
    // 24; a snapshot mixing two sentences shows fields that disagree.
    GpsState gps;
    gps.timeSource = 2;
    NmeaParser parser(gps);
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<long> seen{0};
    std::thread setter([&] {
        while (!done.load()) {
            const GpsTimeSnapshot s = gps.timeSnapshot();
            const int n = s.utcSecond;
            if (s.utcHour != n || s.utcMinute != n ||
                (s.zdaDateValid == 1 &&
                 (s.zdaYear != 2000 + n || s.zdaDay != n % 12 + 1 || s.zdaMonth != n % 12 + 1))) {
                ++torn;
            }
            ++seen;
        }
    });
    char data[64];
    for (int i = 1; i <= 20000; ++i) {
        const int n = i % 24;
        std::snprintf(data, sizeof data, "%02d%02d%02d.00,%02d,%02d,%d,00,00", n, n, n, n % 12 + 1,
                      n % 12 + 1, 2000 + n);
        parser.Dispatch("GPZDA", data);
    }
    done = true;
    setter.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(seen.load(), 0);
}

}  // namespace
}  // namespace horalux
