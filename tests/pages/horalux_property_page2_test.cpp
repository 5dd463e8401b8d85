// "Update PC Clock": the interval stored as typed, keystroke by keystroke, in its low 16 bits;
// the hidden set-beep box; the button following the update state.
#include "pages/horalux_property_page2.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "app/settings_keys.h"
#include "page_fixture.h"

namespace horalux {
namespace {

using Page = CHoraluxPropertyPage2;

TEST(UpdatePcClockPageTest, TheIntervalIsStoredAsTypedInItsLow16Bits) {
    test::PageFixture f;
    f.runtime.updateRate = 90;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    auto* edit = page.Control<QLineEdit>(Page::kInterval);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("90"));
    EXPECT_EQ(f.store.read(keys::TimeUpdateRate), 90) << "the initial text is stored back";
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("Update Every:")) {
            EXPECT_EQ(label->buddy(), edit) << "the field is named by its label";
        }
    }
    EXPECT_EQ(edit->accessibleDescription(), QStringLiteral("PC clock update rate in minutes."));

    struct Case {
        const char* typed;
        std::vector<int32_t> stored;  // after each keystroke
    };
    for (const Case& c : std::vector<Case>{
             {"120", {1, 12, 120}},
             {"70000", {7, 70, 700, 7000, 4464}},
             {"-1", {0, 65535}},
             {"abc", {0, 0, 0}},
             {"44640", {4, 44, 446, 4464, 44640}},
             {"0", {0}},
         }) {
        edit->setFocus();
        edit->clear();
        EXPECT_EQ(f.store.read(keys::TimeUpdateRate), 0) << "a cleared field stores 0";
        std::vector<int32_t> stored;
        for (const QChar key : QString::fromLatin1(c.typed)) {
            const int writes = f.store.writeCount();
            QTest::keyClick(edit, key.toLatin1());
            EXPECT_EQ(f.store.writeCount(), writes + 1) << c.typed << ": one write per keystroke";
            stored.push_back(f.store.read(keys::TimeUpdateRate));
            EXPECT_EQ(f.runtime.updateRate.load(), stored.back()) << c.typed;
        }
        EXPECT_EQ(stored, c.stored) << c.typed;
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.typed)) << "the text stays as typed";
    }
    EXPECT_TRUE(f.messages.beeps().empty()) << "nothing beeps";
    f.Screenshot("page-update-pc-clock");
}

TEST(UpdatePcClockPageTest, HiddenSetBeepBoxAndTheUpdateButton) {
    test::PageFixture f;
    f.runtime.setBeep = 1;
    auto& page = f.Show(new Page(f.services(), f.sheet.bubbleTip()));
    auto* beep = page.Control<QCheckBox>(Page::kSetBeep);
    ASSERT_NE(beep, nullptr);
    EXPECT_TRUE(beep->isHidden());
    EXPECT_TRUE(beep->isChecked());
    beep->click();
    EXPECT_EQ(f.runtime.setBeep.load(), 0);
    EXPECT_EQ(f.store.read(keys::EnableSetBeep), 0);
    beep->click();
    EXPECT_EQ(f.store.read(keys::EnableSetBeep), 1);

    auto* button = page.Control<QPushButton>(Page::kUpdateNow);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(page.TimerRunning(1));
    EXPECT_EQ(page.TimerPeriod(1), Page::kTimerPeriodMs);

    // The button follows the flags at each new local second, and only then.
    struct Step {
        int32_t locked, busy;
        int advanceMs;
        bool enabled;
    };
    for (const Step& s : std::vector<Step>{
             {0, 0, 1000, false},  // no lock: disabled
             {1, 0, 400, false},   // locked, but the same second: unchanged
             {1, 0, 600, true},    // the next second: enabled
             {1, 1, 1000, false},  // an update runs
             {1, 0, 1000, true},
         }) {
        f.flags.timeLocked = s.locked;
        f.flags.syncBusy = s.busy;
        f.clock.advance(s.advanceMs);
        page.FireTimer(1);
        EXPECT_EQ(button->isEnabled(), s.enabled)
            << "locked " << s.locked << " busy " << s.busy << " +" << s.advanceMs;
    }

    button->click();
    EXPECT_EQ(f.starts, 1);
    EXPECT_EQ(f.runtime.currentServer(), "chosen.example");
    EXPECT_TRUE(f.messages.beeps().empty()) << "no beep";
    EXPECT_EQ(button->accessibleDescription(), QStringLiteral("Sets the PC clock now."));
}

}  // namespace
}  // namespace horalux
