// Other services keeping the clock: the line naming them, from the reports of every source
// (fakes that answer at once, later or never before a new look).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/other_time_services.h"

namespace horalux {
namespace {

// A source whose answer a test gives when it chooses.
class FakeTimeServiceSource final : public TimeServiceSource {
  public:
    void detect(Report report) override { pending.push_back(std::move(report)); }
    void answer(const TimeServiceReport& report) {
        const std::vector<Report> waiting = std::move(pending);
        pending.clear();
        for (const Report& r : waiting) {
            r(report);
        }
    }
    std::vector<Report> pending;
};

TEST(OtherTimeServicesTest, TheLineNamesTheDaemonsOrElseTheSystemsNtpSetting) {
    struct Case {
        TimeServiceReport processes;  // what the process table saw
        TimeServiceReport timedated;  // what the system's clock settings say
        std::string line;
    };
    const std::string effect = " will undo or fight Horalux's.";
    const Case cases[] = {
        {{}, {}, ""},
        {{{"chronyd"}},
         {},
         "Another time service keeps this PC's clock: chronyd. Its corrections" + effect},
        {{{"systemd-timesyncd"}},
         {{}, true},
         "Another time service keeps this PC's clock: systemd-timesyncd. Its corrections" + effect},
        {{{"chronyd", "ntpd"}},
         {},
         "Other time services keep this PC's clock: chronyd and ntpd. Their corrections" + effect},
        {{{"systemd-timesyncd", "chronyd", "ntpd"}},
         {{"chronyd"}, false},
         "Other time services keep this PC's clock: systemd-timesyncd, chronyd and ntpd. Their "
         "corrections" +
             effect},
        {{},
         {{}, true},
         "The system's network time synchronisation (NTP) keeps this PC's clock: its "
         "corrections" +
             effect},
    };
    for (const Case& c : cases) {
        FakeTimeServiceSource processes, timedated;
        OtherTimeServices services({&processes, &timedated});
        std::vector<std::string> lines;
        services.detect([&](const std::string& line) { lines.push_back(line); });
        processes.answer(c.processes);
        EXPECT_TRUE(lines.empty()) << "reported before every source answered";
        timedated.answer(c.timedated);
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
    }
}

TEST(OtherTimeServicesTest, ANewLookSupersedesOneUnderWayAndNothingLandsAfterTheEnd) {
    FakeTimeServiceSource source;
    std::vector<std::string> lines;
    {
        OtherTimeServices services({&source});
        services.detect([&](const std::string& line) { lines.push_back("first: " + line); });
        auto stale = std::move(source.pending);
        source.pending.clear();
        services.detect([&](const std::string& line) { lines.push_back("second: " + line); });
        stale.front()({{"ntpd"}});  // the first look's answer, late
        source.answer({{"chronyd"}});
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("second: Another time service", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find("chronyd"), std::string::npos);

        services.detect([&](const std::string& line) { lines.push_back("third: " + line); });
    }
    source.answer({{"chronyd"}});  // the look's owner is gone
    EXPECT_EQ(lines.size(), 1u);

    OtherTimeServices none({});
    none.detect([&](const std::string& line) { lines.push_back("none: " + line); });
    EXPECT_EQ(lines.back(), "none: ");
}

}  // namespace
}  // namespace horalux
