// What the user is told about the desktop: the clock privilege line with its command, and the
// one notice where no tray exists.
#include <gtest/gtest.h>

#include "app/clock_privilege_notice.h"
#include "app/tray_absence.h"

namespace horalux {
namespace {

TEST(ClockPrivilegeLineTest, GivesTheOneCommandThatGrantsItWhereThatHelps) {
    EXPECT_EQ(ClockPrivilegeLine(ClockPrivilege::Held, "/usr/bin/horalux"), "");
    EXPECT_EQ(ClockPrivilegeLine(ClockPrivilege::Missing, "/usr/bin/horalux"),
              "Horalux may not set the PC clock: it lacks the CAP_SYS_TIME privilege. Grant it "
              "once with: sudo setcap cap_sys_time+ep /usr/bin/horalux");
    const std::string withheld = ClockPrivilegeLine(ClockPrivilege::Withheld, "/usr/bin/horalux");
    EXPECT_NE(withheld.find("withholds"), std::string::npos);
    EXPECT_EQ(withheld.find("setcap"), std::string::npos) << "setcap would not help";

    // The command is pasted into a shell as it stands.
    const std::pair<std::string, std::string> words[] = {
        {"/usr/local/bin/horalux", "/usr/local/bin/horalux"},
        {"/home/ann/My Programs/horalux", "'/home/ann/My Programs/horalux'"},
        {"/opt/it's/horalux", "'/opt/it'\\''s/horalux'"},
        {"/opt/$HOME;rm/horalux", "'/opt/$HOME;rm/horalux'"},
    };
    for (const auto& [path, word] : words) {
        EXPECT_EQ(ShellWord(path), word);
    }
}

TEST(TrayAbsenceTest, TellsOnceWhenNoTrayAppearedWithinTheGracePeriod) {
    struct Look {
        bool available;
        int64_t elapsedMs;
        bool notice;
    };
    const std::vector<std::vector<Look>> runs = {
        // A panel that comes up late, within the grace period: never a notice.
        {{false, 0, false}, {false, 9500, false}, {true, 9999, false}, {false, 20000, false}},
        // None at all: one notice at the end of the grace period, and no second.
        {{false, 0, false},
         {false, TrayAbsence::kGraceMs, true},
         {false, 60000, false},
         {true, 61000, false}},
        // A first look after the grace period with no tray.
        {{false, 30000, true}},
    };
    for (const auto& run : runs) {
        TrayAbsence absence;
        for (const Look& look : run) {
            EXPECT_EQ(absence.Check(look.available, look.elapsedMs), look.notice)
                << look.available << " at " << look.elapsedMs;
        }
        EXPECT_TRUE(absence.decided());
    }
}

}  // namespace
}  // namespace horalux
