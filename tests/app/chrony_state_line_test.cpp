// chronyd's state line: chronyc's CSV read into sources, and the line for each state of chronyd
// and of the feed's segment.
#include "app/chrony_state_line.h"

#include <gtest/gtest.h>

namespace horalux {
namespace {

TEST(ChronySourcesTest, ReadsChronycsCsv) {
    const auto sources = ParseChronySources(
        "#,*,GPS,0,0,376,1,-0.000301301,-0.000375983,0.050000019\n"
        "^,-,192.0.2.1,2,6,17,35,0.012,0.011,0.020\r\n"
        "\n"
        "#,?,SHM7,0,4,0,4294967295,0.000000000,0.000000000,0.000000000\n");
    ASSERT_TRUE(sources);
    ASSERT_EQ(sources->size(), 3u);
    EXPECT_EQ((*sources)[0], (ChronySource{'#', '*', "GPS", 0, 0, 0376, 1, -0.000301301,
                                           -0.000375983, 0.050000019}));
    EXPECT_EQ((*sources)[1].reach, 017) << "reach is octal, as in chronyc's table";
    EXPECT_EQ((*sources)[1].name, "192.0.2.1");
    EXPECT_EQ((*sources)[2].lastRx, 4294967295LL);
    EXPECT_TRUE(ParseChronySources("")->empty());

    for (const char* bad : {"#,*,GPS,0,0,376,1,-0.0003,-0.0003",                // nine fields
                            "#,*,GPS,0,0,378,1,-0.0003,-0.0003,0.05",           // 8 is not octal
                            "#,*,GPS,0,0,376,1,x,-0.0003,0.05",                 // no number
                            "506 Cannot talk to daemon",                        // a complaint
                            "#,*,GPS,0,0,376,1,-0.0003,-0.0003,0.05,extra"}) {  // eleven
        EXPECT_FALSE(ParseChronySources(bad)) << bad;
    }
}

ChronyFeed::Status feeding(int otherAttached, bool locked = true) {
    ChronyFeed::Status s;
    s.active = true;
    s.unit = 2;
    s.attached = true;
    s.otherAttached = otherAttached;
    s.locked = locked;
    return s;
}

ChronycResult answered(std::string out) {
    return {true, true, 0, std::move(out), ""};
}

TEST(ChronyStateLineTest, SaysHowChronydStands) {
    const std::string gps = "#,*,GPS,0,0,377,1,-0.000301301,-0.000375983,0.050000019\n";
    ChronyFeed::Status broken = feeding(-1);
    broken.attached = false;
    broken.error = "shared memory 0x4e545032: another user's segment that this user may not write";
    struct Case {
        const char* what;
        ChronycResult result;
        ChronyFeed::Status feed;
        const char* line;
    };
    const Case cases[] = {
        {"reading, selected", answered(gps), feeding(1),
         "chronyd reads the GPS time of SHM 2 (source GPS): selected, offset -0.301 ms."},
        {"reading under another refid, the only reference clock",
         answered("^,+,192.0.2.1,2,6,377,35,0.012,0.011,0.020\n"
                  "#,+,PPS1,0,0,3,1,0.000002,0.0000025,0.05\n"),
         feeding(1),
         "chronyd reads the GPS time of SHM 2 (source PPS1): combined with the other sources, "
         "offset +0.002 ms."},
        {"reading, no sample yet, not locked", answered("#,?,SHM2,0,0,0,4294967295,0.0,0.0,0.0\n"),
         feeding(1, false),
         "chronyd reads the GPS time of SHM 2 (source SHM2): no sample yet. GPS time is not "
         "locked: Horalux offers none now."},
        {"attached but not listed (another reader, or several reference clocks)",
         answered("#,*,PPS,0,0,377,1,0.0,0.0,0.0\n#,-,NMEA,0,0,377,1,0.0,0.0,0.0\n"), feeding(1),
         "chronyd reads the GPS time of SHM 2, which it does not list as a source yet."},
        {"running, not reading", answered("^,*,192.0.2.1,2,6,377,35,0.012,0.011,0.020\n"),
         feeding(0),
         "chronyd is running but does not read the GPS time Horalux offers on SHM 2. Its "
         "refclock line is in /usr/share/doc/horalux/examples/horalux-chrony.conf."},
        {"not running (its socket missing)",
         {true, true, 1, "", "Could not open connection to daemon\n"},
         feeding(0),
         "chronyd is not running: nothing takes the GPS time Horalux offers on SHM 2, and nothing "
         "sets the clock. Its refclock line is in "
         "/usr/share/doc/horalux/examples/horalux-chrony.conf."},
        {"not running (no answer on its port)",
         {true, true, 1, "506 Cannot talk to daemon\n", ""},
         feeding(0),
         nullptr},
        {"refusing",
         {true, true, 1, "501 Not authorised\n", ""},
         feeding(1),
         "chronyd refuses chronyc's request (501 Not authorised): its state cannot be shown."},
        {"refusing without a word",
         {true, true, 3, "", ""},
         feeding(1),
         "chronyd refuses chronyc's request (exit 3): its state cannot be shown."},
        {"no answer in time",
         {true, false, 9, "", ""},
         feeding(1),
         "chronyd did not answer chronyc in time: its state cannot be shown."},
        {"no chronyc",
         {},
         feeding(0),
         "chronyc is not installed: chronyd's state cannot be shown. GPS time goes to SHM 2."},
        {"an answer that cannot be read", answered("Name/IP address\n"), feeding(1),
         "chronyd's answer could not be read: Name/IP address"},
        {"no segment", answered(gps), broken,
         "Horalux cannot hand GPS time to chronyd (SHM 2): shared memory 0x4e545032: another "
         "user's segment that this user may not write. Its refclock line is in "
         "/usr/share/doc/horalux/examples/horalux-chrony.conf."},
    };
    std::string previous;
    for (const Case& c : cases) {
        const std::string line = ChronyStateLine(c.result, c.feed);
        EXPECT_EQ(line, c.line != nullptr ? c.line : previous) << c.what;
        previous = line;
    }
}

}  // namespace
}  // namespace horalux
