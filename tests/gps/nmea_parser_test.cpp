#include "gps/nmea_parser.h"
#include "support/test_dirs.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace horalux {
namespace {

// ---------------------------------------------------------------------------------------------
// Tokenizer

std::string field(const char* data, int n, int* result = nullptr) {
    char out[NmeaParser::kFieldSize];
    std::memset(out, 'x', sizeof out);
    const int r = NmeaParser::GetField(data, out, n);
    if (result != nullptr) {
        *result = r;
    }
    return out;
}

TEST(NmeaGetField, CountsFieldsFromZeroAndStopsAtTheComma) {
    const char* data = "123519,4807.038,N,,E,1";
    int r = 1;
    EXPECT_EQ(field(data, 0, &r), "123519");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(field(data, 1), "4807.038");
    EXPECT_EQ(field(data, 2), "N");
    EXPECT_EQ(field(data, 5, &r), "1");  // the last field runs to the end of the string
    EXPECT_EQ(r, 0);
}

TEST(NmeaGetField, EmptyAndMissingFieldsGiveAnEmptyStringAndMinusOne) {
    const char* data = "a,,b,";
    int r = 0;
    EXPECT_EQ(field(data, 1, &r), "");  // between two commas
    EXPECT_EQ(r, -1);
    EXPECT_EQ(field(data, 3, &r), "");  // after the final comma
    EXPECT_EQ(r, -1);
    EXPECT_EQ(field(data, 4, &r), "");  // beyond the end
    EXPECT_EQ(r, -1);
    EXPECT_EQ(field(data, 400, &r), "");
    EXPECT_EQ(r, -1);
    EXPECT_EQ(field("", 0, &r), "");
    EXPECT_EQ(r, -1);
    EXPECT_EQ(field("x,*12", 1, &r), "");  // a field that starts with '*' is empty
    EXPECT_EQ(r, -1);
}

TEST(NmeaGetField, TruncatesLongFieldsToNineteenCharactersWithinTheBuffer) {
    struct {
        char out[NmeaParser::kFieldSize];
        char guard[8];
    } buffer;
    std::memset(&buffer, '#', sizeof buffer);
    const std::string longField(300, '7');
    const std::string data = "a," + longField + ",b";
    EXPECT_EQ(NmeaParser::GetField(data.c_str(), buffer.out, 1), 0);
    EXPECT_EQ(std::string(buffer.out), std::string(19, '7'));
    EXPECT_EQ(std::string(buffer.guard, 8), std::string(8, '#'));
    EXPECT_EQ(field(data.c_str(), 2), "b");  // the next field is still found
}

// ---------------------------------------------------------------------------------------------
// GGA and RMC: time, position, fix quality, altitude

class NmeaParserTest : public ::testing::Test {
  protected:
    GpsState gps;
    NmeaParser parser{gps};

    void send(const char* address, const char* data) { parser.Dispatch(address, data); }
    std::string time() const {
        char text[32];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", gps.utcHour, gps.utcMinute,
                      gps.utcSecond);
        return text;
    }
};

constexpr const char* kGga = "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";

TEST_F(NmeaParserTest, GgaGivesTimePositionFixAndAltitude) {
    send("GPGGA", kGga);
    EXPECT_EQ(time(), "12:35:19");
    EXPECT_EQ(gps.latitude, 48 + 7.038 * 0.016666666666666666);
    EXPECT_NEAR(gps.latitude, 48.1173, 1e-12);
    EXPECT_EQ(gps.longitude, 11 + 31.000 * 0.016666666666666666);
    EXPECT_NEAR(gps.longitude, 11.516666666666667, 1e-12);
    EXPECT_EQ(gps.fixQuality, 1);
    EXPECT_EQ(gps.altitude, 545.4);
}

TEST_F(NmeaParserTest, HemispheresNegateOnTheirFirstLetterOnly) {
    send("GPGGA", "000000,4807.038,S,01131.000,W,1,,,-12.5,M");
    EXPECT_NEAR(gps.latitude, -48.1173, 1e-12);
    EXPECT_NEAR(gps.longitude, -11.516666666666667, 1e-12);
    EXPECT_EQ(gps.altitude, -12.5);
    send("GPGGA", "000000,4807.038,,01131.000,w,1");  // empty and lower-case: positive
    EXPECT_GT(gps.latitude, 0);
    EXPECT_GT(gps.longitude, 0);
    send("GPRMC", "000000,A,0130.000,South,17959.400,West");
    EXPECT_NEAR(gps.latitude, -1.5, 1e-12);
    EXPECT_NEAR(gps.longitude, -179.99, 1e-12);
}

TEST_F(NmeaParserTest, EmptyFieldsLeaveTheRecordAsItWas) {
    send("GPGGA", kGga);
    send("GPGGA", ",,,,,0,00,,,M,,M,,");
    EXPECT_EQ(gps.fixQuality, 0);
    EXPECT_EQ(time(), "12:35:19");
    EXPECT_NEAR(gps.latitude, 48.1173, 1e-12);
    EXPECT_NEAR(gps.longitude, 11.516666666666667, 1e-12);
    EXPECT_EQ(gps.altitude, 545.4);
    // An empty coordinate keeps its sign too, even when the hemisphere field is filled.
    send("GPRMC", "123520,A,,S,,W");
    EXPECT_GT(gps.latitude, 0);
    EXPECT_GT(gps.longitude, 0);
}

TEST_F(NmeaParserTest, NoValidityCheck) {
    // Fix quality 0 and RMC status V still update the position (and other fix qualities are
    // stored as received).
    send("GPGGA", "010203,1000.000,N,02000.000,E,0,00,,100.0,M");
    EXPECT_NEAR(gps.latitude, 10.0, 1e-12);
    EXPECT_EQ(gps.altitude, 100.0);
    send("GPGGA", "010203,,,,,6");
    EXPECT_EQ(gps.fixQuality, 6);
    gps.timeSource = 1;
    send("GPRMC", "040506,V,3000.000,N,04000.000,E,0.0,0.0,010199,,");
    EXPECT_EQ(time(), "04:05:06");
    EXPECT_NEAR(gps.latitude, 30.0, 1e-12);
    EXPECT_NEAR(gps.longitude, 40.0, 1e-12);
}

TEST_F(NmeaParserTest, TimeFieldsDropFractionsAndShortFieldsGiveZeros) {
    send("GPGGA", "235959.999");
    EXPECT_EQ(time(), "23:59:59");
    send("GPGGA", "07");
    EXPECT_EQ(time(), "07:00:00");
    send("GPGGA", "0809");
    EXPECT_EQ(time(), "08:09:00");
}

TEST_F(NmeaParserTest, NumbersConvertLikeTheRuntime) {
    send("GPGGA", ",,,,, +2x,,,1e2abc");
    EXPECT_EQ(gps.fixQuality, 2);
    EXPECT_EQ(gps.altitude, 100.0);
    send("GPGGA", ",,,,,x,,,.");
    EXPECT_EQ(gps.fixQuality, 0);
    EXPECT_EQ(gps.altitude, 0.0);
    // Overlong numbers neither crash nor overflow into undefined behaviour.
    send("GPGGA", ",,,,,9999999999999999999,,,1e999");
    send("GPGGA", "999999999999999999,99999999999999999,N,-99999999999999999,W");
}

TEST_F(NmeaParserTest, OnlyTheChosenSentenceSetsTheTime) {
    struct Case {
        int16_t source;
        const char* expected;
    } cases[] = {{0, "01:01:01"}, {1, "02:02:02"}, {2, "03:03:03"}, {5, "00:00:00"}};
    for (const Case& c : cases) {
        GpsState state;
        NmeaParser p(state);
        state.timeSource = c.source;
        p.Dispatch("GPGGA", "010101,1000.000,N,02000.000,E,1");
        p.Dispatch("GPRMC", "020202,A,1100.000,N,02100.000,E,,,311299");
        p.Dispatch("GPZDA", "030303,04,07,2002,00,00");
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", state.utcHour, state.utcMinute,
                      state.utcSecond);
        EXPECT_EQ(std::string(text), c.expected) << "timeSource " << c.source;
        EXPECT_NEAR(state.latitude, 11.0, 1e-12);  // both GGA and RMC give the position
        EXPECT_EQ(state.zdaDateValid, c.source == 2 ? 1 : 0);
    }
}

TEST_F(NmeaParserTest, DecimalPointsReadTheSameInALocaleWithADecimalComma) {
    // The desktop program runs in the user's locale; build one with a decimal comma.
    test::TempDir dir;
    const std::string command =
        "localedef -i de_DE -f UTF-8 " + dir.file("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        GTEST_SKIP() << "localedef could not build de_DE.UTF-8";
    }
    setenv("LOCPATH", dir.path().c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    EXPECT_EQ(std::atof("545.4"), 545.0);  // the locale is in force
    send("GPGGA", kGga);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(gps.altitude, 545.4);
    EXPECT_NEAR(gps.latitude, 48.1173, 1e-12);
}

// ---------------------------------------------------------------------------------------------
// ZDA

TEST_F(NmeaParserTest, ZdaGivesTimeAndDateOnlyWhenItIsTheTimeSource) {
    gps.idleSeconds = 2;
    send("GPZDA", "201530.00,04,07,2002,00,00");
    EXPECT_EQ(time(), "00:00:00");
    EXPECT_EQ(gps.zdaDateValid, 0);
    EXPECT_EQ(gps.zdaYear, 0);
    EXPECT_EQ(gps.idleSeconds, 0);

    gps.timeSource = 2;
    send("GPZDA", "201530.00,04,07,2002,00,00");
    EXPECT_EQ(time(), "20:15:30");
    EXPECT_EQ(gps.zdaDay, 4);
    EXPECT_EQ(gps.zdaMonth, 7);
    EXPECT_EQ(gps.zdaYear, 2002);
    EXPECT_EQ(gps.zdaDateValid, 1);
    const GpsTimeSnapshot snap = gps.timeSnapshot();
    EXPECT_EQ(snap.utcHour, 20);
    EXPECT_EQ(snap.zdaYear, 2002);

    // Empty date fields store 0; the time stays when its field is empty.
    send("GPZDA", ",,,,,");
    EXPECT_EQ(time(), "20:15:30");
    EXPECT_EQ(gps.zdaDay, 0);
    EXPECT_EQ(gps.zdaMonth, 0);
    EXPECT_EQ(gps.zdaYear, 0);
    EXPECT_EQ(gps.zdaDateValid, 1);

    // Leaving ZDA keeps the date it gave.
    send("GPZDA", "101010,31,12,1999");
    gps.timeSource = 0;
    send("GPZDA", "111111,01,01,2030");
    EXPECT_EQ(gps.zdaDateValid, 1);
    EXPECT_EQ(gps.zdaYear, 1999);
    EXPECT_EQ(time(), "10:10:10");
}

// ---------------------------------------------------------------------------------------------
// Dispatcher and watchdog fields

TEST_F(NmeaParserTest, AnyTalkerIsAcceptedButTheTypeMustMatchWhole) {
    send("GLGGA", "010101,,,,,1");
    EXPECT_EQ(gps.utcHour, 1);
    send("XXGGA", "020202,,,,,2");
    EXPECT_EQ(gps.utcHour, 2);
    send("GPGGAX", "030303,,,,,3");
    send("GPGG", "040404,,,,,4");
    send("GG", "050505");
    send("", "060606");
    send("GPgga", "070707");
    EXPECT_EQ(gps.utcHour, 2);
    EXPECT_EQ(gps.fixQuality, 2);
}

TEST_F(NmeaParserTest, EverySentenceIsASignOfLifeButUnknownOnesChangeNothingElse) {
    send("GPGGA", kGga);
    gps.idleSeconds = 3;
    gps.stale = 1;
    const std::string before = std::to_string(gps.latitude) + time();
    send("PGRMZ", "93,f,3");
    EXPECT_EQ(gps.idleSeconds, 0);
    EXPECT_EQ(gps.stale, 0);
    EXPECT_EQ(std::to_string(gps.latitude) + time(), before);
    EXPECT_EQ(gps.gsvSentenceCount, 0);
    EXPECT_EQ(gps.fixQuality, 1);
}

// ---------------------------------------------------------------------------------------------
// GSA

TEST_F(NmeaParserTest, GsaCountsNonZeroSlotsAndFlagsPrnsUpTo32) {
    send("GPGSA", "A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
    EXPECT_EQ(gps.satellitesUsed, 5);
    for (int prn = 0; prn <= 32; ++prn) {
        const bool used = prn == 4 || prn == 5 || prn == 9 || prn == 12 || prn == 24;
        EXPECT_EQ(gps.usedInFix[static_cast<size_t>(prn)], used ? 1 : 0) << "PRN " << prn;
    }
    send("GPGGA", kGga);  // a new fix: the next GSA replaces the count
    send("GPGSA", "A,3,40,00,65541,,,,,,,,,,1.0,1.0,1.0");
    // 40 counts without a flag, 00 does not count, 65541 keeps its low 16 bits (5).
    EXPECT_EQ(gps.satellitesUsed, 2);
    EXPECT_EQ(gps.usedInFix[5], 1);
    EXPECT_EQ(gps.usedInFix[4], 0);
    EXPECT_EQ(gps.usedInFix[32], 0);
    send("GPGGA", kGga);
    send("GPGSA", "A,1,,,,,,,,,,,,,,,");
    EXPECT_EQ(gps.satellitesUsed, 0);
    EXPECT_EQ(gps.usedInFix[5], 0);
}

TEST_F(NmeaParserTest, GsaSentencesInARowAddUpOneConstellationEach) {
    // One fix of a multi-constellation receiver: GPS, GLONASS, Galileo, BeiDou, QZSS.
    const char* fix[] = {
        "A,2,02,08,10,23,27,,,,,,,,1.6,1.3,0.9,1", "A,2,65,66,73,81,82,,,,,,,,1.6,1.3,0.9,2",
        "A,2,33,,,,,,,,,,,,1.6,1.3,0.9,3",         "A,2,208,211,213,,,,,,,,,,1.6,1.3,0.9,4",
        "A,2,,,,,,,,,,,,,1.6,1.3,0.9,5",
    };
    for (int round = 0; round < 2; ++round) {
        send("GPGGA", kGga);
        for (const char* gsa : fix) {
            send("GNGSA", gsa);
        }
        EXPECT_EQ(gps.satellitesUsed, 14) << "round " << round;
        for (const int prn : {2, 8, 10, 23, 27}) {
            EXPECT_EQ(gps.usedInFix[static_cast<size_t>(prn)], 1) << prn;
        }
        EXPECT_EQ(gps.usedInFix[1], 0);
    }
}

TEST_F(NmeaParserTest, GsaRunCountsASatelliteOnceButKeepsSystemsApart) {
    // The same GPS satellites in GPGSA and GNGSA (both system 1) count once; without a
    // system id, the PRN alone identifies the satellite.
    send("GPRMC", "");
    send("GPGSA", "A,3,08,10,16,18,27,,,,,,,,1.2,0.9,0.9,1");
    send("GNGSA", "A,3,08,10,16,18,27,,,,,,,,1.2,0.9,0.9,1");
    send("GNGSA", "A,3,69,76,78,85,,,,,,,,,1.2,0.9,0.9,2");
    EXPECT_EQ(gps.satellitesUsed, 9);
    send("GPRMC", "");
    send("GNGSA", "A,3,03,19,27,13,,,,,,,,,2.75,2.56,1.00");
    send("GNGSA", "A,3,88,87,13,,,,,,,,,,2.75,2.56,1.00");
    EXPECT_EQ(gps.satellitesUsed, 6);
    // GPS 13 and Galileo 13 are different satellites.
    send("GPRMC", "");
    send("GNGSA", "A,3,13,01,,,,,,,,,,,1.0,1.0,1.0,1");
    send("GNGSA", "A,3,13,01,,,,,,,,,,,1.0,1.0,1.0,3");
    EXPECT_EQ(gps.satellitesUsed, 4);
}

TEST_F(NmeaParserTest, AnySentenceOrAResetBetweenGsasStartsANewCount) {
    send("GPGSA", "A,3,01,02,03,,,,,,,,,,1,1,1");
    send("PGRMZ", "93,f,3");  // unknown sentences end the run too
    send("GPGSA", "A,3,04,,,,,,,,,,,,1,1,1");
    EXPECT_EQ(gps.satellitesUsed, 1);
    EXPECT_EQ(gps.usedInFix[1], 0);
    EXPECT_EQ(gps.usedInFix[4], 1);
    // The watchdog's reset between two GSAs: the old run is not continued.
    gps.Reset();
    send("GPGSA", "A,3,05,,,,,,,,,,,,1,1,1");
    EXPECT_EQ(gps.satellitesUsed, 1);
    EXPECT_EQ(gps.usedInFix[4], 0);
}

TEST_F(NmeaParserTest, OneGsaPerFixBehavesAsASingleSentence) {
    for (int i = 0; i < 5; ++i) {
        send("GPGGA", kGga);
        send("GPGSA",
             i % 2 == 0 ? "A,3,01,02,03,04,05,06,07,,,,,,1,1,1" : "A,3,09,,,,,,,,,,,,1,1,1");
        EXPECT_EQ(gps.satellitesUsed, i % 2 == 0 ? 7 : 1);
        EXPECT_EQ(gps.usedInFix[1], i % 2 == 0 ? 1 : 0);
    }
}

TEST_F(NmeaParserTest, AnEndlessGsaRunStaysBounded) {
    char data[128];
    for (int i = 0; i < 200; ++i) {
        std::snprintf(data, sizeof data, "A,3,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,1,1,1",
                      i * 12 + 1, i * 12 + 2, i * 12 + 3, i * 12 + 4, i * 12 + 5, i * 12 + 6,
                      i * 12 + 7, i * 12 + 8, i * 12 + 9, i * 12 + 10, i * 12 + 11, i * 12 + 12);
        send("GNGSA", data);
    }
    EXPECT_EQ(gps.satellitesUsed, NmeaParser::kMaxRunSatellites);
    for (int prn = 1; prn <= 32; ++prn) {
        EXPECT_EQ(gps.usedInFix[static_cast<size_t>(prn)], 1);
    }
}

// ---------------------------------------------------------------------------------------------
// GSV

TEST_F(NmeaParserTest, GsvFillsItsGroupOfFourSlots) {
    send("GPGSA", "A,3,16,19,,,,,,,,,,,1,1,1");
    send("GPGSV", "3,2,11,14,25,170,00,16,57,208,39,18,67,296,40,19,40,246,00");
    EXPECT_EQ(gps.satellitesInView, 11);
    EXPECT_EQ(gps.gsvSentenceCount, 1);
    EXPECT_EQ(gps.satellites[5], (SatelliteInfo{16, 208, 57, 1, 39}));
    EXPECT_EQ(gps.signals[5], (SignalInfo{16, 39, 1}));
    EXPECT_EQ(gps.satellites[4], (SatelliteInfo{14, 170, 25, 0, 0}));
    EXPECT_EQ(gps.satellites[7], (SatelliteInfo{19, 246, 40, 1, 0}));
    EXPECT_EQ(gps.satellites[3], SatelliteInfo{});  // other groups untouched

    send("GPGSV", "3,3,11,22,42,067,42,24,14,311,43,27,05,244,00");
    EXPECT_EQ(gps.satellites[8], (SatelliteInfo{22, 67, 42, 0, 42}));
    EXPECT_EQ(gps.satellites[10], (SatelliteInfo{27, 244, 5, 0, 0}));
    EXPECT_EQ(gps.gsvSentenceCount, 2);

    // A slot the message leaves out is zeroed.
    gps.satellites[11] = {1, 2, 3, 4, 5};
    gps.signals[11] = {1, 2, 3};
    send("GPGSV", "3,3,11,22,42,067,42,24,14,311,43,27,05,244,00");
    EXPECT_EQ(gps.satellites[11], SatelliteInfo{});
    EXPECT_EQ(gps.signals[11], SignalInfo{});
}

TEST_F(NmeaParserTest, GsvClampsHighPrnsToTheLastFlag) {
    send("GPGSA", "A,3,32,,,,,,,,,,,,1,1,1");
    send("GPGSV", "4,8,32,120,10,20,30,,,,,33,1,2,3,32,4,5,6");
    EXPECT_EQ(gps.satellites[28], (SatelliteInfo{32, 20, 10, 1, 30}));
    EXPECT_EQ(gps.satellites[29], SatelliteInfo{});
    EXPECT_EQ(gps.satellites[30].prn, 32);
    EXPECT_EQ(gps.signals[31], (SignalInfo{32, 6, 1}));
    EXPECT_EQ(gps.satellitesInView, 32);
}

TEST_F(NmeaParserTest, GsvUsedFlagIsTakenFromTheGsaDecodedBefore) {
    send("GPGSV", "1,1,02,07,10,20,30,09,10,20,30");
    EXPECT_EQ(gps.satellites[0].used, 0);
    send("GPGSA", "A,3,07,,,,,,,,,,,,1,1,1");
    EXPECT_EQ(gps.satellites[0].used, 0);  // not updated until the next GSV
    send("GPGSV", "1,1,02,07,10,20,30,09,10,20,30");
    EXPECT_EQ(gps.satellites[0].used, 1);
    EXPECT_EQ(gps.satellites[1].used, 0);
}

TEST_F(NmeaParserTest, GsvWithAnUnusableMessageNumberOrPrnIsDropped) {
    for (int i = 0; i < GpsState::kTableSize; ++i) {
        gps.satellites[static_cast<size_t>(i)] = {i, i, i, i, i};
    }
    const auto tables = gps.satellites;
    gps.satellitesInView = 7;
    const char* bad[] = {
        "3,,11,01,02,03,04",
        "3,0,11,01,02,03,04",
        "9,9,11,01,02,03,04",
        "3,x,11,01,02,03,04",
        "12,10,11,01,02,03,04",
        "3,:,11,01,02,03,04",
        "3,1,11,-5,02,03,04",
        "3,1,11,01,02,03,04,,,,,,,,,-1,1,1,1",
        ",",
        "",
    };
    for (const char* data : bad) {
        gps.stale = 1;
        send("GPGSV", data);
        EXPECT_EQ(gps.stale, 0) << data;  // still a sign of life
        EXPECT_EQ(gps.satellites, tables) << data;
        EXPECT_EQ(gps.satellitesInView, 7) << data;
        EXPECT_EQ(gps.gsvSentenceCount, 0) << data;
    }
    // An empty number in view keeps the last one; a usable message is stored.
    send("GPGSV", "1,1,,05,,,");
    EXPECT_EQ(gps.satellitesInView, 7);
    EXPECT_EQ(gps.satellites[0], (SatelliteInfo{5, 0, 0, 0, 0}));
    EXPECT_EQ(gps.gsvSentenceCount, 1);
}

TEST_F(NmeaParserTest, ResetKeepsTheUpperTableEntriesButHidesThem) {
    send("GPGSV", "4,4,16,20,1,2,3,21,1,2,3,22,1,2,3,23,1,2,3");
    send("GPGSV", "4,1,16,01,1,2,3,02,1,2,3,03,1,2,3,04,1,2,3");
    gps.Reset();
    EXPECT_EQ(gps.satellitesInView, 0);
    EXPECT_EQ(gps.satellites[0], SatelliteInfo{});
    EXPECT_EQ(gps.satellites[12].prn, 20);
    EXPECT_EQ(gps.gsvSentenceCount, 0);
}

}  // namespace
}  // namespace horalux
