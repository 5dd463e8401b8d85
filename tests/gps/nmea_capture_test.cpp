// Real receiver captures through the real horalux-diag binary (the program's own reader and
// parser), compared with the reference values of expected.tsv beside the captures.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_dirs.h"
#include "support/testdata.h"

extern char** environ;

namespace horalux {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
};

// Runs horalux-diag nmea with the arguments, without the time capability (it never sets the
// clock, and this makes sure of it), standard input from stdinFile or /dev/null.
RunResult runDiag(const std::vector<std::string>& args,
                  const std::string& stdinFile = "/dev/null") {
    std::vector<std::string> argv;
    // Only root holds the capability (and may drop it from the bounding set).
    if (geteuid() == 0 && access("/usr/sbin/capsh", X_OK) == 0) {
        argv = {"/usr/sbin/capsh", "--drop=cap_sys_time", "--", "-c", "exec \"$0\" \"$@\""};
    }
    argv.push_back(test::binary("horalux-diag"));
    argv.push_back("nmea");
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) {
        cargv.push_back(a.data());
    }
    cargv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, stdinFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    RunResult result;
    if (spawned != 0) {
        close(pipeFds[0]);
        return result;
    }
    char buffer[65536];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        result.out.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

QJsonObject parseObject(const std::string& line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    return doc.object();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// The captures

// How each capture is read and which of expected.tsv's reference values apply, from its notes
// column. A value of "-" skips a field; any other text replaces the reference value.
struct CaptureRule {
    const char* file;
    const char* timeSource;
    const char* time;
    const char* lat;
    const char* lon;
    const char* alt;
    const char* used;
    const char* why;
};

// clang-format off
const CaptureRule kRules[] = {
    {"garmin48.log", "gga", "-", nullptr, nullptr, "-", nullptr,
     "the reference time comes from the trailing GLL and the altitude from $PGRMZ, neither of "
     "which this program reads; its last GGA says 22:53:34 and 12.5 m"},
    {"ublox-lea-4h.log", "gga", "03:15:18", "49.126136", "-122.710177", "98.5", nullptr,
     "the reference stops one cycle early; the notes give the log's last RMC/GGA values"},
    {"isync.log", "gga", "13:15:30", nullptr, nullptr, "218.5", nullptr,
     "the log ends with a partial cycle whose GGA (13:15:30, 218.5 m) the reference leaves out"},
    {"firefly-II.log", "rmc", nullptr, nullptr, nullptr, "0", "-",
     "every GGA has a bad checksum: time and position come from RMC, no altitude ever arrives "
     "(so it stays 0), and there is no GSA"},
    {"april6_2019.log", "rmc", nullptr, nullptr, nullptr, "0", "-",
     "RMC only: the time comes from RMC and no altitude arrives"},
    {"iTrek.log", "rmc", nullptr, nullptr, nullptr, nullptr, "0",
     "the last cycle has only an RMC (04:59:23, the last GGA is 04:59:22); the reference's used "
     "count comes from the sky view, while the final GSA lists no PRNs"},
    {"gp-320fw-2019-04-07-coldboot.log", "gga", nullptr, "-", "-", nullptr, nullptr,
     "after the cold reboot the receiver sends 0000.0000 coordinates in its status-V sentences; "
     "the reference keeps the last fix, this program takes fields as they come (no validity "
     "check), so the position is 0"},
    {"ublox-f9p-hpnmea.log", "gga", nullptr, nullptr, nullptr, nullptr, "31",
     "the reference counts L1 and L2 signals separately (24); the four GSA of a fix list 31 "
     "satellites (GPS and Galileo share PRN numbers, told apart by the system id)"},
    {"skytraq-PX1172RH_DS.log", "gga", nullptr, nullptr, nullptr, nullptr, "14",
     "the reference counts each signal separately (22); the GSA list 14 satellites"},
};
// clang-format on

struct Expected {
    std::string file, time, lat, lon, alt, used, notes;
};

std::vector<Expected> readExpected(const std::filesystem::path& dir) {
    std::vector<Expected> rows;
    std::ifstream in(dir / "expected.tsv");
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::istringstream fields(line);
        for (std::string col; std::getline(fields, col, '\t');) {
            cols.push_back(col);
        }
        cols.resize(9);
        rows.push_back({cols[0], cols[1], cols[2], cols[3], cols[4], cols[5], cols[8]});
    }
    return rows;
}

// The rule's value where it has one, else the reference value ("" = nothing to check).
std::string pick(const char* rule, const std::string& reference) {
    if (rule == nullptr) {
        return reference;
    }
    return std::string(rule) == "-" ? std::string() : std::string(rule);
}

TEST(NmeaCaptures, LastTimePositionAltitudeAndSatellitesUsedMatchTheReference) {
    HORALUX_REQUIRE_CAPTURES();
    const auto dir = *test::captureDir();
    const auto rows = readExpected(dir);
    ASSERT_GE(rows.size(), 20u);

    std::map<std::string, const CaptureRule*> rules;
    for (const CaptureRule& rule : kRules) {
        rules[rule.file] = &rule;
    }
    // Every capture has a reference row, so none escapes the test.
    for (const auto& path : test::captureFiles()) {
        bool found = false;
        for (const auto& row : rows) {
            found = found || row.file == path.filename().string();
        }
        EXPECT_TRUE(found) << path.filename() << " has no row in expected.tsv";
    }

    int checked = 0;
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.file + " (" + row.notes + ")");
        const CaptureRule* rule = rules.count(row.file) ? rules[row.file] : nullptr;
        const std::string source = rule ? rule->timeSource : "gga";
        const RunResult run = runDiag({(dir / row.file).string(), "--time-source", source});
        ASSERT_EQ(run.exitCode, 0);
        const QJsonObject gps = parseObject(run.out);
        EXPECT_GT(gps["sentenceCount"].toInt(), 0);

        const std::string time = pick(rule ? rule->time : nullptr, row.time);
        if (!time.empty()) {
            char text[16];
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", gps["utcHour"].toInt(),
                          gps["utcMinute"].toInt(), gps["utcSecond"].toInt());
            EXPECT_EQ(std::string(text), time);
            ++checked;
        }
        // The references have 6 decimals of a degree (about 0.1 m) and centimetres.
        const std::string lat = pick(rule ? rule->lat : nullptr, row.lat);
        if (!lat.empty()) {
            EXPECT_NEAR(gps["latitude"].toDouble(), std::stod(lat), 1e-6);
            ++checked;
        }
        const std::string lon = pick(rule ? rule->lon : nullptr, row.lon);
        if (!lon.empty()) {
            EXPECT_NEAR(gps["longitude"].toDouble(), std::stod(lon), 1e-6);
            ++checked;
        }
        const std::string alt = pick(rule ? rule->alt : nullptr, row.alt);
        if (!alt.empty()) {
            EXPECT_NEAR(gps["altitude"].toDouble(), std::stod(alt), 0.01);
            ++checked;
        }
        const std::string used = pick(rule ? rule->used : nullptr, row.used);
        if (!used.empty()) {
            EXPECT_EQ(gps["satellitesUsed"].toInt(), std::stoi(used));
            ++checked;
        }
    }
    EXPECT_GE(checked, 80);  // the table may skip a few fields, not the bulk of them
}

TEST(NmeaCaptures, EverySentenceOfACaptureGivesOneLineEndingInTheFinalRecord) {
    HORALUX_REQUIRE_CAPTURES();
    const auto file = (*test::captureDir() / "telit-pls83-w.log").string();
    const RunResult last = runDiag({file});
    const RunResult every = runDiag({"--every", file});
    ASSERT_EQ(last.exitCode, 0);
    ASSERT_EQ(every.exitCode, 0);
    const auto all = lines(every.out);
    const QJsonObject final = parseObject(last.out);
    ASSERT_EQ(static_cast<int>(all.size()), final["sentenceCount"].toInt());
    for (size_t i = 0; i < all.size(); ++i) {
        const QJsonObject record = parseObject(all[i]);
        EXPECT_EQ(record["sentenceCount"].toInt(), static_cast<int>(i) + 1);
        EXPECT_EQ(record["sentence"].toString().size(), 5);
    }
    QJsonObject lastEvery = parseObject(all.back());
    EXPECT_EQ(lastEvery["sentence"].toString(), QString("GNGSA"));
    lastEvery.remove("sentence");
    EXPECT_EQ(lastEvery, final);
    // Fed on standard input, the capture gives the same record.
    EXPECT_EQ(runDiag({}, file).out, last.out);
    EXPECT_EQ(runDiag({"-"}, file).out, last.out);
}

// horalux-diag nmea --every's output for each capture as the program printed it before it had
// a "sky" field (the first 16 hex digits of its SHA-256): with that field taken out, every line
// is as it was, byte for byte. A deliberate change of an existing field renews the digests.
// clang-format off
const std::pair<const char*, const char*> kLinesBeforeTheSkyField[] = {
    {"ac12.log", "a276239e34eb7653"},
    {"april6_2019.log", "f6c1fda8faa0a06d"},
    {"beidou-gb.log", "50539f12f92522ee"},
    {"bu353-glonass.log", "b8ccf0578e977f56"},
    {"bu353s4.log", "b71622265452d2ce"},
    {"firefly-II.log", "1526baf30a696eb6"},
    {"garmin25lp.log", "8ed3aac699ee4ace"},
    {"garmin48.log", "ea19223d053187d1"},
    {"gp-320fw-2019-04-07-coldboot.log", "2c97479819e6da06"},
    {"holux-gm-210.log", "fb651562112de1ac"},
    {"iTrek.log", "67ed4ce24f598677"},
    {"isync.log", "a74d43cff1ea174c"},
    {"mt3339.log", "dc2b4839c8474f08"},
    {"mtk-3301.log", "fe37c9441ef41721"},
    {"nl2008u.log", "cd4113d0afca3534"},
    {"quectel-eg25-g-2.log", "5d2a413416e5f856"},
    {"skytraq-PX1172RH_DS.log", "00b0e5b4e5dac60d"},
    {"sl869.log", "aee2a1fcf2aa6e9b"},
    {"telit-pls83-w.log", "accf8985f39c61e4"},
    {"tn200.log", "235df9c6ea5079e7"},
    {"triton400.log", "8cf6747fe51a1a3f"},
    {"ublox-f9p-hpnmea.log", "ec5d55953e7d1244"},
    {"ublox-lea-4h.log", "6ea1c75fab4307df"},
};
// clang-format on

std::string withoutSky(std::string out) {
    const std::string sky = ",\"sky\":[";
    for (size_t at = out.find(sky); at != std::string::npos; at = out.find(sky, at)) {
        out.erase(at, out.find(']', at) + 1 - at);  // its objects hold no ']'
    }
    return out;
}

TEST(NmeaCaptures, EveryLineIsAsBeforeTheSkyFieldWithTheSkyOfEveryConstellationAdded) {
    HORALUX_REQUIRE_CAPTURES();
    const auto dir = *test::captureDir();
    std::map<std::string, std::string> digests(std::begin(kLinesBeforeTheSkyField),
                                               std::end(kLinesBeforeTheSkyField));
    for (const auto& path : test::captureFiles()) {
        SCOPED_TRACE(path.filename().string());
        ASSERT_TRUE(digests.count(path.filename().string()));
        const RunResult run = runDiag({"--every", path.string()});
        ASSERT_EQ(run.exitCode, 0);
        const QByteArray sha = QCryptographicHash::hash(
            QByteArray::fromStdString(withoutSky(run.out)), QCryptographicHash::Sha256);
        EXPECT_EQ(sha.toHex().left(16).toStdString(), digests[path.filename().string()]);
    }

    // The final record's sky holds every constellation of the last groups.
    EXPECT_EQ(
        parseObject(runDiag({(dir / "telit-pls83-w.log").string()}).out)["sky"].toArray().size(),
        38);
}

// ---------------------------------------------------------------------------------------------
// The command line (no captures needed)

TEST(NmeaDiagCommand, PrintsTheWholeRecordWithSatellitesInView) {
    test::TempDir dir;
    {
        std::ofstream f(dir.file("in.log"), std::ios::binary);
        f << "$GPZDA,201530.00,04,07,2002,00,00*60\r\n"
             "$GPGSV,1,1,02,07,10,20,30,120,11,21,31\r\n"
             "$GPGGA,123519,4807.038,S,01131.000,W,1,08,0.9,545.4,M,46.9,M,,\r\n";
    }
    const RunResult zda = runDiag({dir.file("in.log"), "--time-source", "zda"});
    ASSERT_EQ(zda.exitCode, 0);
    const QJsonObject gps = parseObject(zda.out);
    EXPECT_EQ(gps["sentenceCount"].toInt(), 3);
    EXPECT_EQ(gps["gsvSentenceCount"].toInt(), 1);
    EXPECT_EQ(gps["utcHour"].toInt(), 20);
    EXPECT_EQ(gps["zdaDateValid"].toInt(), 1);
    EXPECT_EQ(gps["zdaYear"].toInt(), 2002);
    EXPECT_EQ(gps["zdaMonth"].toInt(), 7);
    EXPECT_EQ(gps["zdaDay"].toInt(), 4);
    // Doubles survive the round trip exactly.
    EXPECT_EQ(gps["latitude"].toDouble(), -(48 + 7.038 * 0.016666666666666666));
    EXPECT_EQ(gps["altitude"].toDouble(), 545.4);
    EXPECT_EQ(gps["fixQuality"].toInt(), 1);
    EXPECT_EQ(gps["satellitesInView"].toInt(), 2);
    const QJsonArray sats = gps["satellites"].toArray();
    ASSERT_EQ(sats.size(), 2);
    EXPECT_EQ(
        sats[1].toObject(),
        (QJsonObject{{"prn", 32}, {"azimuth", 21}, {"elevation", 11}, {"used", 0}, {"snr", 31}}));
    EXPECT_EQ(gps["sky"].toArray(), (QJsonArray{QJsonObject{{"system", "GPS"},
                                                            {"prn", 7},
                                                            {"elevation", 10},
                                                            {"azimuth", 20},
                                                            {"snr", 30},
                                                            {"used", 0}},
                                                QJsonObject{{"system", "SBAS"},
                                                            {"prn", 120},
                                                            {"elevation", 11},
                                                            {"azimuth", 21},
                                                            {"snr", 31},
                                                            {"used", 0}}}));
    for (const char* key : {"satellitesUsed", "longitude", "utcMinute", "utcSecond"}) {
        EXPECT_TRUE(gps.contains(key)) << key;
    }

    const QJsonObject gga = parseObject(runDiag({"--time-source=gga", dir.file("in.log")}).out);
    EXPECT_EQ(gga["utcHour"].toInt(), 12);
    EXPECT_EQ(gga["zdaDateValid"].toInt(), 0);
}

TEST(NmeaDiagCommand, BadArgumentsAndUnreadableFilesFailClearly) {
    EXPECT_EQ(runDiag({"--bogus"}).exitCode, 2);
    EXPECT_EQ(runDiag({"--time-source"}).exitCode, 2);
    EXPECT_EQ(runDiag({"--time-source", "gll"}).exitCode, 2);
    EXPECT_EQ(runDiag({"a.log", "b.log"}).exitCode, 2);
    const RunResult missing = runDiag({"/nonexistent/capture.log"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_EQ(runDiag({"/"}).exitCode, 1);  // a folder cannot be read
    // Empty input is not an error: the record of nothing received.
    const RunResult empty = runDiag({});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(parseObject(empty.out)["sentenceCount"].toInt(), 0);
}

}  // namespace
}  // namespace horalux
