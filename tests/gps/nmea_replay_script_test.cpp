// nmea-replay's logic without the program: restamping one sentence, cutting a log into bursts,
// every real capture replayed through the program's reader and parser, and the synthetic
// receiver.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <set>

#include "gps/gps_state.h"
#include "gps/nmea_checksum.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "nmea_replay/nmea_replay_script.h"
#include "nmea_replay/synthetic_receiver.h"
#include "platform/fake_system_clock.h"
#include "support/testdata.h"

namespace horalux::replay {
namespace {

const UtcSecond kAt{2024, 2, 29, 7, 8, 9};  // 2024-02-29 07:08:09 UTC

bool checksumMatches(const std::string& sentence) {
    const size_t star = sentence.find('*');
    return star != std::string::npos && star + 2 < sentence.size() &&
           std::strtol(sentence.substr(star + 1, 2).c_str(), nullptr, 16) ==
               nmeaChecksum(sentence.substr(1, star - 1));
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string withChecksum(const std::string& body) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", nmeaChecksum(body));
    return "$" + body + "*" + text;
}

TEST(RestampTest, TimesAndDatesTakeTheSecondWithTheirForm) {
    // Whole seconds, fractions of any length (set to zero), GGA, RMC and ZDA.
    EXPECT_EQ(restampSentence(withChecksum("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,"
                                           "M,46.9,M,,"),
                              kAt),
              withChecksum("GPGGA,070809,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"));
    EXPECT_EQ(restampSentence(withChecksum("GNGGA,235959.984,,,,,0,00,,,M,,M,,"), kAt),
              withChecksum("GNGGA,070809.000,,,,,0,00,,,M,,M,,"));
    EXPECT_EQ(restampSentence(withChecksum("GPRMC,225446.5,A,4916.45,N,12311.12,W,000.5,054.7,"
                                           "191194,020.3,E"),
                              kAt),
              withChecksum("GPRMC,070809.0,A,4916.45,N,12311.12,W,000.5,054.7,290224,020.3,E"));
    EXPECT_EQ(restampSentence(withChecksum("GPZDA,201530.00,04,07,2002,-05,00"), kAt),
              withChecksum("GPZDA,070809.00,29,02,2024,-05,00"));  // the zone stays
}

TEST(RestampTest, ChecksumsStayRightWrongOrAbsent) {
    const std::string good = withChecksum("GPGGA,123519,,,,,1,08,,,M,,M,,");
    const std::string stamped = restampSentence(good, kAt);
    EXPECT_TRUE(checksumMatches(stamped));

    // Lower-case hex stays lower-case.
    std::string lower = withChecksum("GPRMC,123519,A,,,,,,,010203,,");
    for (size_t i = lower.size() - 2; i < lower.size(); ++i) {
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    }
    const std::string lowerStamped = restampSentence(lower, kAt);
    EXPECT_TRUE(startsWith(lowerStamped, "$GPRMC,070809,A,,,,,,,290224,,*"));
    EXPECT_TRUE(checksumMatches(lowerStamped));
    EXPECT_EQ(lowerStamped.find_first_of("ABCDEF", lowerStamped.size() - 2), std::string::npos);

    // A wrong checksum stays wrong, off by as much as before.
    std::string wrong = good;
    wrong.replace(wrong.size() - 2, 2, "00");
    const uint8_t offBefore =
        static_cast<uint8_t>(std::strtol(wrong.substr(wrong.size() - 2).c_str(), nullptr, 16) ^
                             nmeaChecksum(wrong.substr(1, wrong.size() - 4)));
    const std::string wrongStamped = restampSentence(wrong, kAt);
    EXPECT_FALSE(checksumMatches(wrongStamped));
    const uint8_t offAfter = static_cast<uint8_t>(
        std::strtol(wrongStamped.substr(wrongStamped.size() - 2).c_str(), nullptr, 16) ^
        nmeaChecksum(wrongStamped.substr(1, wrongStamped.size() - 4)));
    EXPECT_EQ(offAfter, offBefore);

    // None stays none; the carriage return that ends it stays too.
    EXPECT_EQ(restampSentence("$GPGGA,123519,,,,,1,08,,,M,,M,,\r", kAt),
              "$GPGGA,070809,,,,,1,08,,,M,,M,,\r");
    // A checksum that is not two hex digits is left alone.
    EXPECT_EQ(restampSentence("$GPZDA,123519,01,02,2003,,*7\r", kAt),
              "$GPZDA,070809,29,02,2024,,*7\r");
}

TEST(RestampTest, OnlyWellFormedFieldsOfTheThreeTimeSentencesChange) {
    const std::string unchanged[] = {
        withChecksum("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00"),
        withChecksum("PGRMZ,93,f,3"),
        withChecksum("GPGLL,4916.45,N,12311.12,W,225444,A"),
        withChecksum("GPGGA,,,,,,0,00,,,M,,M,,"),       // no time yet
        withChecksum("GPGGA,12:35,,,,,0,00,,,M,,M,,"),  // not hhmmss
        withChecksum("GPGGAX,123519,,,,,0"),            // not a GGA
    };
    for (const std::string& s : unchanged) {
        EXPECT_EQ(restampSentence(s, kAt), s);
    }
    // A malformed date keeps its form; the time still changes.
    EXPECT_EQ(restampSentence(withChecksum("GPRMC,000231.099,A,4829.0005,N,00022.0015,E,0.15,"
                                           "212.28,2208-1,,,A"),
                              kAt),
              withChecksum("GPRMC,070809.000,A,4829.0005,N,00022.0015,E,0.15,212.28,2208-1,,,A"));
    // Joined sentences as the reader frames them: one GGA whose time field runs into a GLL.
    const std::string joined = "$GPGGA,030130$GPGLL,2638.1728,N,08011.3893,W,030131.000,A,A*41";
    const std::string stamped = restampSentence(joined, kAt);
    EXPECT_TRUE(startsWith(stamped, "$GPGGA,070809$GPGLL,"));
    EXPECT_EQ(stamped.size(), joined.size());
    EXPECT_FALSE(checksumMatches(stamped));
}

TEST(ReplayScriptTest, CutsWhereTheTimeChangesAndSkipsWhatIsNotNmea) {
    const std::string log =
        "{\"class\":\"VERSION\"}\n"                                          // JSON: skipped
        "$GPGSV,1,1,01,07,79,048,42*4D\r\n"                                  // before any time
        "$GPGGA,100000,,,,,0,00,,,M,,M,,*43\r\n"                             // 10:00:00
        "# a comment\n"                                                      // skipped
        "$GPRMC,100000,V,,,,,,,010203,,*07\r\n"                              // same second
        "5,34,060,48*71\n"                                                   // orphan: skipped
        "$GPGGA,,,,,,0,00,,,M,,M,,*66\r\n"                                   // no time: no cut
        "$GPGGA,100001,,,,,0,00,,,M,,M,,*42\r\n"                             // 10:00:01
        "$GPGSA,A,1,,,,,,,,,,,,,,,*1E$GPRMC,100002,V,,,,,,,010203,,*05\r\n"  // cut mid-line
        "$GPZDA,100002.00,01,02,2003,00,00*6E\n";
    const NmeaReplayScript script = NmeaReplayScript::fromLog(log);
    ASSERT_EQ(script.burstCount(), 3u);
    EXPECT_EQ(script.original(0),
              "$GPGSV,1,1,01,07,79,048,42*4D\r\n"
              "$GPGGA,100000,,,,,0,00,,,M,,M,,*43\r\n"
              "$GPRMC,100000,V,,,,,,,010203,,*07\r\n"
              "$GPGGA,,,,,,0,00,,,M,,M,,*66\r\n");
    EXPECT_EQ(script.original(1),
              "$GPGGA,100001,,,,,0,00,,,M,,M,,*42\r\n"
              "$GPGSA,A,1,,,,,,,,,,,,,,,*1E");
    EXPECT_EQ(script.original(2),
              "$GPRMC,100002,V,,,,,,,010203,,*05\r\n"
              "$GPZDA,100002.00,01,02,2003,00,00*6E\n");

    const std::string second = script.render(2, kAt);
    EXPECT_TRUE(startsWith(second, "$GPRMC,070809,V,,,,,,,290224,,*"));
    EXPECT_NE(second.find("$GPZDA,070809.00,29,02,2024,00,00*"), std::string::npos);
    EXPECT_EQ(second.substr(second.size() - 1), "\n");  // line endings as they were
    EXPECT_TRUE(startsWith(script.render(0, kAt), "$GPGSV,1,1,01,07,79,048,42*4D\r\n"));

    EXPECT_TRUE(NmeaReplayScript::fromLog("# nothing\n{\"json\":1}\n").empty());
    EXPECT_TRUE(NmeaReplayScript::fromLog("").empty());
    // A log without any time is one burst.
    EXPECT_EQ(NmeaReplayScript::fromLog("$GPGSV,1,1,00*79\r\n$GPGSV,1,1,00*79\r\n").burstCount(),
              1u);
}

// Replays a capture burst by burst (second after second) through the program's reader and
// parser, beside the same bytes unstamped.
struct ReplayRun {
    GpsState stamped;
    GpsState original;
    int timeMismatches = 0;
};

void replayCapture(const NmeaReplayScript& script, int16_t timeSource, ReplayRun& run) {
    FakeSystemClock clock;
    run.stamped.timeSource = timeSource;
    run.original.timeSource = timeSource;
    NmeaParser stampedParser(run.stamped);
    NmeaParser originalParser(run.original);
    NmeaReader stampedReader(run.stamped, stampedParser, clock);
    NmeaReader originalReader(run.original, originalParser, clock);
    const int64_t start = 1709190489;  // 2024-02-29 07:08:09 UTC
    for (size_t i = 0; i < script.burstCount(); ++i) {
        const UtcSecond at = utcSecondFromUnix(start + static_cast<int64_t>(i));
        const std::string bytes = script.render(i, at);
        ASSERT_EQ(bytes.size(), script.original(i).size());
        const GpsTimeSnapshot before = run.stamped.timeSnapshot();
        const int countBefore = run.stamped.sentenceCount;
        stampedReader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        originalReader.Feed(reinterpret_cast<const uint8_t*>(script.original(i).data()),
                            script.original(i).size());
        const GpsTimeSnapshot after = run.stamped.timeSnapshot();
        const bool timeSet = after.utcHour != before.utcHour ||
                             after.utcMinute != before.utcMinute ||
                             after.utcSecond != before.utcSecond;
        if (run.stamped.sentenceCount != countBefore && timeSet &&
            (after.utcHour != at.hour || after.utcMinute != at.minute ||
             after.utcSecond != at.second)) {
            ++run.timeMismatches;
        }
        if (after.zdaDateValid && timeSource == 2 && timeSet &&
            (after.zdaDay != at.day || after.zdaMonth != at.month || after.zdaYear != at.year)) {
            ++run.timeMismatches;
        }
    }
}

TEST(ReplayScriptTest, EveryCaptureReplaysAsTheReaderSawItWithTheReplayTime) {
    HORALUX_REQUIRE_CAPTURES();
    const auto files = test::captureFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string log = test::readFile(file);
        const NmeaReplayScript script = NmeaReplayScript::fromLog(log);
        ASSERT_FALSE(script.empty());

        // Nothing of the NMEA lines is lost or reordered.
        std::string joined;
        for (size_t i = 0; i < script.burstCount(); ++i) {
            joined += script.original(i);
        }
        std::string expected;
        for (size_t pos = 0; pos < log.size();) {
            size_t end = log.find('\n', pos);
            end = end == std::string::npos ? log.size() : end + 1;
            if (log[pos] == '$') {
                expected += log.substr(pos, end - pos);
            }
            pos = end;
        }
        EXPECT_EQ(joined, expected);

        for (int16_t source = 0; source <= 2; ++source) {
            SCOPED_TRACE(source);
            ReplayRun run;
            replayCapture(script, source, run);
            // The same sentences get through (checksums right stay right, wrong stay wrong) ...
            EXPECT_EQ(run.stamped.sentenceCount, run.original.sentenceCount);
            EXPECT_EQ(run.stamped.gsvSentenceCount, run.original.gsvSentenceCount);
            // ... with the same content apart from the time ...
            EXPECT_EQ(run.stamped.latitude, run.original.latitude);
            EXPECT_EQ(run.stamped.longitude, run.original.longitude);
            EXPECT_EQ(run.stamped.altitude, run.original.altitude);
            EXPECT_EQ(run.stamped.fixQuality, run.original.fixQuality);
            EXPECT_EQ(run.stamped.satellitesUsed, run.original.satellitesUsed);
            EXPECT_EQ(run.stamped.satellitesInView, run.original.satellitesInView);
            EXPECT_EQ(run.stamped.satellites, run.original.satellites);
            // ... and every time (and ZDA date) the reader takes is that of its burst.
            EXPECT_EQ(run.timeMismatches, 0);
        }
    }
}

TEST(ReplayScriptTest, ACleanCaptureGivesOneBurstPerSecond) {
    HORALUX_REQUIRE_CAPTURES();
    const std::string log = test::readFile(*test::captureDir() / "garmin25lp.log");
    std::set<std::string> seconds;
    for (size_t pos = log.find("$GPGGA,"); pos != std::string::npos;
         pos = log.find("$GPGGA,", pos + 1)) {
        seconds.insert(log.substr(pos + 7, 6));
    }
    // Its RMC and GGA share each second; the sentences before the first GGA may add one.
    const size_t bursts = NmeaReplayScript::fromLog(log).burstCount();
    EXPECT_GE(bursts, seconds.size());
    EXPECT_LE(bursts, seconds.size() + 1);
}

TEST(SyntheticReceiverTest, ABurstIsAValidLockedFixAtItsSecond) {
    const int64_t second = 1798761599;  // 2026-12-31 23:59:59 UTC, the year's last second
    for (int64_t t : {second, second + 1}) {
        const std::string burst = SyntheticReceiver::burst(t);
        size_t sentences = 0;
        for (size_t pos = 0; pos < burst.size();) {
            const size_t end = burst.find("\r\n", pos);
            ASSERT_NE(end, std::string::npos);
            EXPECT_TRUE(checksumMatches(burst.substr(pos, end - pos)));
            ++sentences;
            pos = end + 2;
        }
        EXPECT_EQ(sentences, 7u);  // GGA, GSA, three GSV, RMC, ZDA

        GpsState gps;
        gps.timeSource = 2;
        NmeaParser parser(gps);
        FakeSystemClock clock;
        NmeaReader reader(gps, parser, clock);
        reader.Feed(reinterpret_cast<const uint8_t*>(burst.data()), burst.size());
        EXPECT_EQ(gps.sentenceCount, 7);
        EXPECT_EQ(gps.fixQuality, 1);
        EXPECT_EQ(gps.satellitesInView, SyntheticReceiver::kSatellites);
        EXPECT_NEAR(gps.latitude, SyntheticReceiver::kLatitude, 1e-4);
        EXPECT_NEAR(gps.longitude, SyntheticReceiver::kLongitude, 1e-4);
        EXPECT_DOUBLE_EQ(gps.altitude, SyntheticReceiver::kAltitude);
        if (t == second) {
            EXPECT_EQ((std::array{gps.utcHour, gps.utcMinute, gps.utcSecond}),
                      (std::array{23, 59, 59}));
            EXPECT_EQ((std::array{int{gps.zdaDay}, int{gps.zdaMonth}, int{gps.zdaYear}}),
                      (std::array{31, 12, 2026}));
            EXPECT_NE(burst.find(",311226,"), std::string::npos);
        } else {
            EXPECT_EQ((std::array{gps.utcHour, gps.utcMinute, gps.utcSecond}),
                      (std::array{0, 0, 0}));
            EXPECT_EQ((std::array{int{gps.zdaDay}, int{gps.zdaMonth}, int{gps.zdaYear}}),
                      (std::array{1, 1, 2027}));
        }
        int used = 0;
        for (const auto& s : SyntheticReceiver::sky(t)) {
            used += s.used ? 1 : 0;
        }
        EXPECT_EQ(gps.satellitesUsed, used);
    }
}

TEST(SyntheticReceiverTest, TheSatellitesMoveSlowlyAndEnoughAreAlwaysUsed) {
    const int64_t start = 1798700000;
    const auto first = SyntheticReceiver::sky(start);
    int maxElevationChange = 0;
    for (int64_t t = start; t < start + 24 * 3600; t += 600) {
        const auto now = SyntheticReceiver::sky(t);
        const auto minuteLater = SyntheticReceiver::sky(t + 60);
        int used = 0;
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_GE(now[i].elevation, 5);
            EXPECT_LE(now[i].elevation, 85);
            EXPECT_GE(now[i].azimuth, 0);
            EXPECT_LT(now[i].azimuth, 360);
            // Slowly: at most a degree a minute, in elevation and in azimuth.
            EXPECT_LE(std::abs(minuteLater[i].elevation - now[i].elevation), 1);
            const int turn = (minuteLater[i].azimuth - now[i].azimuth + 360) % 360;
            EXPECT_LE(turn, 1);
            used += now[i].used ? 1 : 0;
            maxElevationChange =
                std::max(maxElevationChange, std::abs(now[i].elevation - first[i].elevation));
        }
        EXPECT_GE(used, 3);
        EXPECT_LE(used, 12);
    }
    EXPECT_GE(maxElevationChange, 40);  // but they do cross the sky over the day
}

}  // namespace
}  // namespace horalux::replay
