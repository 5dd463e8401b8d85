// What the user is told about the desktop: the line on why the clock is not set and what to do,
// and the one notice where no tray exists.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/clock_privilege_notice.h"
#include "app/tray_absence.h"

namespace horalux {
namespace {

TEST(ClockPrivilegeLineTest, SaysWhatToDoForEachReasonTheClockWasNotSet) {
    struct Case {
        std::optional<ClockSetOutcome> latest;
        std::vector<std::string> says;  // empty: no line at all
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {ClockSetOutcome{}, {}},
        {ClockSetOutcome{ClockSetResult::NoHelper, "the bus knows no helper"},
         {"helper (horalux-clockd) is not installed", "Install Horalux's package"}},
        {ClockSetOutcome{ClockSetResult::NotAuthorized, "polkit does not allow this caller"},
         {"polkit", "An administrator can allow it", "action example.quorvane.horalux.set-clock"}},
        {ClockSetOutcome{ClockSetResult::HelperFailed, "org.freedesktop.DBus.Error.NoReply: late"},
         {"(org.freedesktop.DBus.Error.NoReply: late)", "journalctl -t horalux-clockd"}},
        {ClockSetOutcome{ClockSetResult::ClockRefused, "Invalid argument"},
         {"did not take the new time (Invalid argument)"}},
    };
    for (const Case& c : cases) {
        const std::string line = ClockPrivilegeLine(c.latest);
        EXPECT_EQ(line.empty(), c.says.empty()) << line;
        for (const std::string& part : c.says) {
            EXPECT_NE(line.find(part), std::string::npos) << line << "\nlacks: " << part;
        }
        EXPECT_EQ(line.find("setcap"), std::string::npos) << "no privilege is granted by hand";
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
