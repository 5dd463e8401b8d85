// The user's autostart entry, against a temporary folder: written, read back, turned off by other
// tools, removed, and rewritten when it names a program that is gone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/autostart_entry.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

constexpr const char* kId = "example.quorvane.Horalux";
const AutostartEntry::Identity kIdentity{
    kId, "Horalux", "Keeps the PC clock set from a GPS receiver or a network time server"};

struct AutostartRig {
    test::TempDir dir;
    QString folder = QString::fromStdString((dir.path() / "autostart").string());

    AutostartEntry entry(const std::string& program) const { return {kIdentity, program, folder}; }
    std::string path() const {
        return (dir.path() / "autostart" / (std::string(kId) + ".desktop")).string();
    }
    std::string contents() const {
        std::ifstream in(path());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void writeEntry(const std::string& text) const {
        std::filesystem::create_directories(dir.path() / "autostart");
        std::ofstream(path()) << text;
    }
    // An executable file standing for a program at `name` in the temporary folder.
    std::string program(const std::string& name) const {
        const std::string file = dir.file(name);
        std::ofstream(file) << "#!/bin/sh\n";
        ::chmod(file.c_str(), 0755);
        return file;
    }
};

TEST(AutostartEntryTest, ProgramPathsSurviveTheExecLineWhateverTheyHoldIn) {
    struct Case {
        std::string program;
        std::string execLine;  // as written in the file
    };
    const Case cases[] = {
        {"/usr/bin/horalux", "Exec=/usr/bin/horalux"},
        {"/home/ann/my apps/horalux", "Exec=\"/home/ann/my apps/horalux\""},
        {"/opt/100%/horalux", "Exec=/opt/100%%/horalux"},
        {"/opt/a$b/`x`/horalux", "Exec=\"/opt/a\\\\$b/\\\\`x\\\\`/horalux\""},
        {"/opt/q\"uote\\d/horalux", "Exec=\"/opt/q\\\\\"uote\\\\\\\\d/horalux\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        AutostartRig rig;
        AutostartEntry entry = rig.entry(c.program);
        ASSERT_TRUE(entry.enable());
        EXPECT_NE(rig.contents().find("\n" + c.execLine + "\n"), std::string::npos)
            << rig.contents();
        EXPECT_EQ(entry.program(), c.program);
        EXPECT_EQ(entry.state(), AutostartEntry::State::Enabled);
    }
    EXPECT_EQ(AutostartEntry::ProgramOfExec("horalux --flag"), "horalux");
    EXPECT_EQ(AutostartEntry::ProgramOfExec("\"/unterminated"), std::nullopt);
    EXPECT_EQ(AutostartEntry::ProgramOfExec(""), std::nullopt);
}

TEST(AutostartEntryTest, IsWrittenRemovedAndTurnedOffByOtherToolsAsTheSessionSeesIt) {
    AutostartRig rig;
    AutostartEntry entry = rig.entry("/usr/bin/horalux");
    EXPECT_EQ(entry.state(), AutostartEntry::State::Absent);
    EXPECT_TRUE(entry.disable());  // nothing to remove

    ASSERT_TRUE(entry.enable());
    EXPECT_EQ(rig.contents(),
              "[Desktop Entry]\nType=Application\nName=Horalux\n"
              "Comment=Keeps the PC clock set from a GPS receiver or a network time server\n"
              "Exec=/usr/bin/horalux\nTryExec=/usr/bin/horalux\nIcon=example.quorvane.Horalux\n"
              "Terminal=false\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(entry.enabled());

    // What desktops' start-up settings write to turn an entry off; enable() turns it on again.
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false", "Hidden = true"}) {
        SCOPED_TRACE(off);
        rig.writeEntry(std::string("[Desktop Entry]\nExec=/usr/bin/horalux\n") + off + "\n");
        EXPECT_EQ(entry.state(), AutostartEntry::State::Disabled);
        ASSERT_TRUE(entry.enable());
        EXPECT_TRUE(entry.enabled());
    }
    // Keys of another group do not count.
    rig.writeEntry("[Desktop Entry]\nExec=/usr/bin/horalux\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(entry.enabled());

    ASSERT_TRUE(entry.disable());
    EXPECT_FALSE(std::filesystem::exists(rig.path()));
    EXPECT_EQ(entry.state(), AutostartEntry::State::Absent);
}

TEST(AutostartEntryTest, LivesUnderXdgConfigHome) {
    AutostartRig rig;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string before = saved != nullptr ? saved : "";
    ::setenv("XDG_CONFIG_HOME", rig.dir.path().c_str(), 1);
    EXPECT_EQ(AutostartEntry(kIdentity, "/usr/bin/horalux").path().toStdString(), rig.path());
    ::setenv("XDG_CONFIG_HOME", before.c_str(), 1);
}

TEST(AutostartEntryTest, AnEntryNamingAProgramThatIsGoneIsRewrittenAsItWas) {
    struct Case {
        const char* what;
        std::string entry;  // the entry found; %s stands for the program it names
        bool programExists;
        bool rewritten;
        AutostartEntry::State after;
    };
    const Case cases[] = {
        {"moved, on", "[Desktop Entry]\nExec=%s\n", false, true, AutostartEntry::State::Enabled},
        {"moved, off", "[Desktop Entry]\nExec=%s\nHidden=true\n", false, true,
         AutostartEntry::State::Disabled},
        {"no Exec", "[Desktop Entry]\nName=x\n", false, true, AutostartEntry::State::Enabled},
        {"another program that exists (the user's own)", "[Desktop Entry]\nExec=%s --x\n", true,
         false, AutostartEntry::State::Enabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AutostartRig rig;
        const std::string self = rig.program("horalux-new");
        const std::string old = c.programExists ? rig.program("wrapper") : rig.dir.file("gone");
        std::string text = c.entry;
        if (const size_t at = text.find("%s"); at != std::string::npos) {
            text.replace(at, 2, old);
        }
        rig.writeEntry(text);
        AutostartEntry entry = rig.entry(self);
        EXPECT_EQ(entry.refresh(), c.rewritten);
        EXPECT_EQ(entry.state(), c.after);
        EXPECT_EQ(entry.program(), c.rewritten ? self : old);
    }
    // This program's own entry stays as it is, and none is made where there was none.
    AutostartRig rig;
    const std::string self = rig.program("horalux");
    AutostartEntry entry = rig.entry(self);
    EXPECT_FALSE(entry.refresh());
    EXPECT_EQ(entry.state(), AutostartEntry::State::Absent);
    ASSERT_TRUE(entry.enable());
    EXPECT_FALSE(entry.refresh());
}

TEST(AutostartEntryTest, AFolderThatCannotBeMadeIsReportedWithItsPath) {
    AutostartRig rig;
    std::ofstream(rig.dir.file("autostart")) << "a file where the folder goes";
    AutostartEntry entry = rig.entry("/usr/bin/horalux");
    QString error;
    EXPECT_FALSE(entry.enable(&error));
    EXPECT_TRUE(error.contains(rig.folder)) << error.toStdString();
    EXPECT_EQ(entry.state(), AutostartEntry::State::Absent);
}

}  // namespace
}  // namespace horalux
