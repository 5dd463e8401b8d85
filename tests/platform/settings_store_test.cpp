#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "app/settings_keys.h"
#include "platform/qsettings_store.h"
#include "support/test_dirs.h"
#include "support/testdata.h"

namespace horalux {
namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    QString ini = QString::fromStdString(dir.file("Horalux.ini"));
};

TEST_F(SettingsStoreTest, EveryKeyReadsItsDefaultFromAnEmptyStore) {
    QSettingsStore store(ini);
    for (const auto& key : keys::kIntSettings) {
        EXPECT_EQ(store.read(key), key.defaultValue) << key.section << "/" << key.key;
    }
    for (const auto& key : keys::kStringSettings) {
        EXPECT_EQ(store.read(key), key.defaultValue) << key.section << "/" << key.key;
    }
    for (int slot = 0; slot < keys::kServerSlots; ++slot) {
        EXPECT_EQ(store.read(keys::netServer(slot)), "Error");
    }
    // The two readers of "UseSNTP" disagree on purpose when nothing is stored.
    EXPECT_EQ(store.read(keys::UseSNTPOnPage), 1);
    EXPECT_EQ(store.read(keys::UseSNTPForUpdate), 0);
}

TEST_F(SettingsStoreTest, EveryKeyReadsBackWhatWasWrittenInAFreshStore) {
    // section/key -> the last value written (the two readers of "UseSNTP" share one key)
    std::map<std::string, int32_t> written;
    {
        QSettingsStore store(ini);
        int32_t n = 1;
        for (const auto& key : keys::kIntSettings) {
            int32_t value = 7919 * n++;
            if (std::string(key.key) == "GPSTimeDelay") {
                value = -20;  // negative, stored as 32-bit two's complement
            } else if (std::string(key.key) == "ClockEnableSegColor") {
                value = static_cast<int32_t>(0x80FF00FFu);  // a colour with the top bit set
            }
            store.write(key, value);
            written[std::string(key.section) + "/" + key.key] = value;
        }
        store.write(keys::DigitalClockPosition, "10,310,20,120");
        store.write(keys::Device, "/dev/ttyACM0");
        store.write(keys::TimeServer, "time.example.org:12300");
        for (int slot = 0; slot < keys::kServerSlots; ++slot) {
            store.write(keys::netServer(slot), "server-" + std::to_string(slot));
        }
    }
    QSettingsStore store(ini);  // as a new process would see it
    for (const auto& key : keys::kIntSettings) {
        EXPECT_EQ(store.read(key), written[std::string(key.section) + "/" + key.key]) << key.key;
    }
    EXPECT_EQ(store.read(keys::GPSTimeDelay), -20);
    EXPECT_EQ(store.read(keys::DigitalClockPosition), "10,310,20,120");
    EXPECT_EQ(store.read(keys::Device), "/dev/ttyACM0");
    EXPECT_EQ(store.read(keys::TimeServer), "time.example.org:12300");
    for (int slot = 0; slot < keys::kServerSlots; ++slot) {
        EXPECT_EQ(store.read(keys::netServer(slot)), "server-" + std::to_string(slot));
    }
}

TEST_F(SettingsStoreTest, HandEditedValuesReadSafely) {
    {
        std::ofstream out(dir.file("Horalux.ini"));
        out << "[Settings]\n"
               "DigitalClockPosition=10,310,20,120\n"  // unquoted commas: a list to QSettings
               "TimeUpdateRate=abc\n"                  // not a number: the default
               "GPSTimeDelay=  -20  \n"
               "ClockEnableSegColor=0xff00\n"
               "LocalTime=4294967295\n";  // wraps to -1 as a 32-bit value
    }
    QSettingsStore store(ini);
    EXPECT_EQ(store.read(keys::DigitalClockPosition), "10,310,20,120");
    EXPECT_EQ(store.read(keys::TimeUpdateRate), 60);
    EXPECT_EQ(store.read(keys::GPSTimeDelay), -20);
    EXPECT_EQ(store.read(keys::ClockEnableSegColor), 0xff00);
    EXPECT_EQ(store.read(keys::LocalTime), -1);
    EXPECT_EQ(store.readInt("Settings", "timeupdaterate", 5), 5);  // keys are case-sensitive
}

TEST_F(SettingsStoreTest, TextWithIniSpecialCharactersRoundTrips) {
    const std::string tricky = "a;b=c,d \"quoted\" #x [y] \\z";
    {
        QSettingsStore store(ini);
        store.write(keys::TimeServer, tricky);
    }
    EXPECT_EQ(QSettingsStore(ini).read(keys::TimeServer), tricky);
}

TEST_F(SettingsStoreTest, AChangeMadeByAnotherWriterIsSeenAtTheNextRead) {
    QSettingsStore reader(ini);
    EXPECT_EQ(reader.read(keys::TimeUpdateRate), 60);
    QSettingsStore(ini).write(keys::TimeUpdateRate, 15);
    EXPECT_EQ(reader.read(keys::TimeUpdateRate), 15);
    // Hand edits in place, of another length and of the same length (the file system keeps
    // modification times in steps of a few milliseconds, and no hand is quicker than that).
    for (const char* rate : {"1440", "1441"}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        std::ofstream(ini.toStdString()) << "[Settings]\nTimeUpdateRate=" << rate << "\n";
        EXPECT_EQ(reader.read(keys::TimeUpdateRate), std::atoi(rate));
    }
    reader.write(keys::TimeUpdateRate, 30);
    EXPECT_EQ(reader.read(keys::TimeUpdateRate), 30);
    EXPECT_EQ(QSettingsStore(ini).read(keys::TimeUpdateRate), 30);
}

TEST_F(SettingsStoreTest, TheUserStoreLivesUnderXdgConfigHome) {
    QSettingsStore store;
    store.write(keys::FirstTimeConfig, 0);
    const std::string expected =
        std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quorvane/Horalux.ini";
    EXPECT_EQ(store.fileName().toStdString(), expected);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(expected)));
}

// A process killed right after a write keeps the value: the write reaches the file before the
// call returns.
TEST_F(SettingsStoreTest, AValueSurvivesAKillRightAfterTheWrite) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QSettingsStore store(ini);
        store.write(keys::GPSTimeDelay, -20);
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(QSettingsStore(ini).read(keys::GPSTimeDelay), -20);
}

// Killing a writer at arbitrary moments never leaves a half-written file: every key that was
// ever written is still there with one of the values written.
TEST_F(SettingsStoreTest, TheFileIsNeverHalfWritten) {
    {
        QSettingsStore store(ini);
        for (int slot = 0; slot < keys::kServerSlots; ++slot) {
            store.write(keys::netServer(slot), "initial-" + std::to_string(slot));
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int round = 0; round < 25 && std::chrono::steady_clock::now() < deadline; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            QSettingsStore store(ini);
            for (int i = 0;; ++i) {
                store.write(keys::netServer(i % keys::kServerSlots),
                            "written-" + std::to_string(i));
            }
        }
        usleep(static_cast<useconds_t>(3000 + round * 1700));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        QSettingsStore store(ini);
        for (int slot = 0; slot < keys::kServerSlots; ++slot) {
            const std::string value = store.read(keys::netServer(slot));
            EXPECT_TRUE(value.rfind("initial-", 0) == 0 || value.rfind("written-", 0) == 0)
                << "slot " << slot << " reads '" << value << "' after kill " << round;
        }
    }
}

}  // namespace
}  // namespace horalux
