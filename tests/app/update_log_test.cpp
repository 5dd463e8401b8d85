// The record of clock updates: its file's rules (append, bound, damage, foreign files, files that
// cannot be read) and what it shows after a restart.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/update_log.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

namespace fs = std::filesystem;

UpdateOutcome Outcome(int64_t i) {
    UpdateOutcome o;
    o.timeMs = 1714572000000 + i * 60000;
    o.reference = i % 3 == 0 ? UpdateReference::Gps : UpdateReference::Sntp;
    o.source = i % 3 == 0 ? "GGA" : "pool\tserver " + std::to_string(i);
    o.result = i % 4 == 1 ? UpdateResult::ServerSilent : UpdateResult::Set;
    if (o.result == UpdateResult::Set) {
        o.correctionMs = i * 7 - 50;
    }
    if (o.reference == UpdateReference::Sntp) {
        o.delayMs = 0.125 * static_cast<double>(i);
    }
    return o;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Loaded {
    std::vector<UpdateOutcome> updates;
    std::vector<std::string> warnings;
};

Loaded Load(const fs::path& path) {
    Loaded loaded;
    UpdateLog log(path.string(), [&](const std::string& m) { loaded.warnings.push_back(m); });
    log.Load();
    loaded.updates = log.updates();
    return loaded;
}

TEST(UpdateLogTest, LinesCarryEveryFieldAndRefuseAnyChange) {
    for (int64_t i = 0; i < 8; ++i) {
        const UpdateOutcome o = Outcome(i);
        const std::string line = UpdateLog::FormatLine(o);
        EXPECT_EQ(line.find('\n'), std::string::npos);
        auto back = UpdateLog::ParseLine(line);
        ASSERT_TRUE(back.has_value()) << line;
        UpdateOutcome expected = o;
        for (char& c : expected.source) {
            c = c == '\t' ? ' ' : c;  // a tab in a server's name cannot split the line
        }
        EXPECT_EQ(*back, expected) << line;
        // Any one byte changed, or the line cut short, fails its checksum or its form.
        for (size_t at = 0; at < line.size(); ++at) {
            std::string bad = line;
            bad[at] = bad[at] == '7' ? '8' : '7';
            EXPECT_FALSE(UpdateLog::ParseLine(bad).has_value()) << bad;
        }
        EXPECT_FALSE(UpdateLog::ParseLine(line.substr(0, line.size() - 1)).has_value());
    }
}

TEST(UpdateLogTest, TheFileFollowsItsRules) {
    const std::string header = std::string(UpdateLog::kHeader) + "\n";
    const auto line = [](int64_t i) { return UpdateLog::FormatLine(Outcome(i)) + "\n"; };
    std::string twelve = header;
    for (int i = 0; i < 12; ++i) {
        twelve += line(i);
    }
    std::string middleDamaged = header + line(0) + line(1);
    middleDamaged.back() = 'x';  // line 1 gets a stray byte after its checksum
    middleDamaged += "\n" + line(2);
    struct Case {
        const char* what;
        std::optional<std::string> file;  // nothing: no file
        size_t kept;                      // updates read back
        const char* setAside;             // suffix of the file set aside, or ""
        size_t warnings;
    };
    const Case cases[] = {
        {"no file yet", std::nullopt, 0, "", 0},
        {"an empty file", std::string(), 0, "", 0},
        {"only the header", header, 0, "", 0},
        {"twelve updates", twelve, 12, "", 0},
        {"a last line never finished (a crash while writing)",
         header + line(0) + line(1) + line(2).substr(0, 20), 2, ".damaged", 1},
        {"a damaged line between good ones", middleDamaged, 2, ".damaged", 1},
        {"someone else's file", "[Settings]\nUseSNTP=1\n", 0, ".foreign", 1},
        {"a header of another version", "Horalux clock updates 2\n" + line(0), 0, ".foreign", 1},
        {"binary noise",
         std::string("\x7f"
                     "ELF\0\0\1",
                     7),
         0, ".foreign", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const fs::path path = dir.path() / "state" / "Horalux" / "clock-updates.log";
        if (c.file) {
            Write(path, *c.file);
        }
        const Loaded loaded = Load(path);
        EXPECT_EQ(loaded.updates.size(), c.kept);
        EXPECT_EQ(loaded.warnings.size(), c.warnings);
        const std::string aside = path.string() + c.setAside;
        if (c.setAside[0] != '\0') {
            EXPECT_EQ(Slurp(aside), *c.file) << "set aside as it was";
            ASSERT_FALSE(loaded.warnings.empty());
            EXPECT_NE(loaded.warnings[0].find(aside), std::string::npos) << loaded.warnings[0];
        }
        // Whatever it found, the record goes on: one more update, and a restart reads it all.
        {
            UpdateLog log(path.string(), [](const std::string&) {});
            log.Load();
            log.Append(Outcome(100));
        }
        const Loaded again = Load(path);
        EXPECT_TRUE(again.warnings.empty()) << again.warnings.front();
        ASSERT_EQ(again.updates.size(), c.kept + 1);
        EXPECT_EQ(again.updates.back(), Load(path).updates.back());
        EXPECT_EQ(again.updates.back().timeMs, Outcome(100).timeMs);
        if (c.kept == 12) {
            EXPECT_EQ(Slurp(path), twelve + line(100)) << "an append only adds its line";
        }
    }
}

TEST(UpdateLogTest, KeepsTheLastThousandAndRewritesTheFileBeforeItHoldsTwice) {
    test::TempDir dir;
    const fs::path path = dir.path() / "clock-updates.log";
    UpdateLog log(path.string(), [](const std::string& m) { ADD_FAILURE() << m; });
    log.Load();
    int notified = 0;
    const int id = log.Subscribe([&] { ++notified; });
    const uint64_t revision = log.revision();
    size_t largest = 0;
    for (int64_t i = 0; i < 2500; ++i) {
        log.Append(Outcome(i));
        largest = std::max<size_t>(largest, fs::file_size(path));
        if (i == 1997 || i == 1998 || i == 2400) {
            const Loaded back = Load(path);
            EXPECT_EQ(back.updates.size(), 1000u) << i;
            EXPECT_EQ(back.updates.front().timeMs, Outcome(i - 999).timeMs) << i;
        }
    }
    EXPECT_EQ(log.updates().size(), UpdateLog::kCapacity);
    EXPECT_EQ(log.updates().front().timeMs, Outcome(1500).timeMs);
    EXPECT_EQ(log.updates().back().timeMs, Outcome(2499).timeMs);
    EXPECT_EQ(notified, 2500);
    EXPECT_EQ(log.revision(), revision + 2500);
    EXPECT_LT(largest, 2 * UpdateLog::kCapacity * 80) << "the file stays bounded";
    log.Unsubscribe(id);
    log.Append(Outcome(2500));
    EXPECT_EQ(notified, 2500);
    EXPECT_FALSE(fs::exists(path.string() + ".new")) << "no temporary file left behind";
}

TEST(UpdateLogTest, AFileThatCannotBeReadOrWrittenLeavesTheRecordToThisRun) {
    test::TempDir dir;
    // A folder where the file should be: it can be neither read nor replaced.
    const fs::path path = dir.path() / "clock-updates.log";
    fs::create_directories(path / "inside");
    std::vector<std::string> warnings;
    UpdateLog log(path.string(), [&](const std::string& m) { warnings.push_back(m); });
    log.Load();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("cannot read"), std::string::npos) << warnings[0];
    log.Append(Outcome(0));
    log.Append(Outcome(2));
    EXPECT_EQ(log.updates().size(), 2u) << "kept in memory";
    EXPECT_EQ(warnings.size(), 1u) << "said once";
    EXPECT_TRUE(fs::is_directory(path)) << "nothing set aside that was never read";

    // A file where its folder should be: said once, with the reason.
    warnings.clear();
    const fs::path blocked = dir.path() / "file" / "clock-updates.log";
    Write(dir.path() / "file", "a file where the folder should be");
    UpdateLog other(blocked.string(), [&](const std::string& m) { warnings.push_back(m); });
    other.Load();
    other.Append(Outcome(0));
    other.Append(Outcome(2));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Not a directory"), std::string::npos) << warnings[0];
    EXPECT_EQ(other.updates().size(), 2u);
}

TEST(UpdateLogTest, LivesInTheStateFolder) {
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string restore = saved != nullptr ? saved : "";
    setenv("XDG_STATE_HOME", "/tmp/state-here", 1);
    EXPECT_EQ(UpdateLog::DefaultPath(), "/tmp/state-here/Horalux/clock-updates.log");
    setenv("XDG_STATE_HOME", "relative/is/ignored", 1);
    EXPECT_EQ(UpdateLog::DefaultPath(),
              std::string(std::getenv("HOME")) + "/.local/state/Horalux/clock-updates.log");
    if (saved != nullptr) {
        setenv("XDG_STATE_HOME", restore.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
}

}  // namespace
}  // namespace horalux
