// "Time": the UTC display, the colour list and what each choice writes, the list following the
// stored scheme, and the desktop clock changing colour together with the page.
#include "pages/horalux_property_page9.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <vector>

#include "app/command_ids.h"
#include "app/settings_keys.h"
#include "clock/clock_window.h"
#include "clock/segment_clock_display.h"
#include "displays/display_accessibility.h"
#include "page_fixture.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

using Page = CHoraluxPropertyPage9;

class NoHost final : public ClockWindowHost {
  public:
    void setPcClockNow() override {}
    void openProperties() override {}
    void showHelp() override {}
};

struct Stored {
    int32_t scheme;
    int32_t lit;
    int32_t unlit;
    friend bool operator==(const Stored&, const Stored&) = default;
};
std::ostream& operator<<(std::ostream& out, const Stored& s) {
    return out << s.scheme << std::hex << " 0x" << s.lit << " 0x" << s.unlit << std::dec;
}

class TimePageTest : public ::testing::Test {
  protected:
    Page& show() {
        page = &f.Show(new Page(f.services(), f.sheet.bubbleTip()));
        page->setCustomColorChooser([this](const ClockColors& initial) {
            offered.push_back(initial);
            return custom;
        });
        list = page->Control<QComboBox>(Page::kColorList);
        return *page;
    }
    Stored stored() const {
        return {f.store.read(keys::ClockColor), f.store.read(keys::ClockEnableSegColor),
                f.store.read(keys::ClockDisableSegColor)};
    }
    // The user picks an entry, as a click in the open list does.
    void choose(int position) {
        list->setCurrentIndex(position);
        Q_EMIT list->activated(position);
    }

    test::PageFixture f;
    Page* page = nullptr;
    QComboBox* list = nullptr;
    std::optional<ClockColors> custom;  // what the custom colour dialog answers
    std::vector<ClockColors> offered;   // what it was opened with
};

TEST_F(TimePageTest, ShowsUtcInItsOwnDisplayAndTheStoredScheme) {
    f.clock.setLocalOffsetMinutes(120);
    show();
    SegmentClockDisplay* display = page->display();
    ASSERT_EQ(page->Control(Page::kDisplay), display);
    EXPECT_EQ(display->state().thickness, 7);
    EXPECT_EQ(display->state().localTime, 0);
    EXPECT_TRUE(display->timerActive());
    ASSERT_TRUE(test::waitFor([&] { return display->state().time.second == 17; }, 2000));
    EXPECT_EQ(display->state().time.hour, 19) << "UTC, not local time (21)";
    EXPECT_EQ(display->accessibleDescription(),
              QStringLiteral("Digital clock shows the system time in UTC"));
    EXPECT_EQ(AccessibleNameOf(display), QStringLiteral("19:53:17 UTC")) << "a screen reader's";
    EXPECT_TRUE(page->TimerRunning(Page::kFastTimer));
    EXPECT_EQ(page->TimerPeriod(Page::kFastTimer), 100);
    EXPECT_EQ(page->TimerPeriod(Page::kSchemeTimer), 1000);

    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->itemText(0), QStringLiteral("Blue"));
    EXPECT_EQ(list->itemText(3), QStringLiteral("Custom"));
    // Nothing stored: "Custom", with the default pair, which is not the Blue scheme.
    EXPECT_EQ(list->currentIndex(), 3);
    EXPECT_EQ(display->state().lit, 0xFF0000u);
    EXPECT_EQ(display->state().unlit, 0x400000u);
    f.Screenshot("page-time");
}

TEST_F(TimePageTest, TheListShowsTheStoredSchemeAndNothingForOtherValues) {
    for (const auto& [scheme, position] : std::vector<std::pair<int32_t, int>>{
             {command::kBlueClock, 0},
             {command::kGreenClock, 1},
             {command::kRedClock, 2},
             {command::kCustomClockColor, 3},
             {32781, -1},
             {0, -1},
         }) {
        test::PageFixture g;
        g.store.write(keys::ClockColor, scheme);
        auto& p = g.Show(new Page(g.services(), g.sheet.bubbleTip()));
        EXPECT_EQ(p.Control<QComboBox>(Page::kColorList)->currentIndex(), position) << scheme;
        EXPECT_EQ(g.store.writeCount(), 1) << "showing the page writes nothing";
    }
}

TEST_F(TimePageTest, EachChoiceWritesTheSchemeAndBothColours) {
    show();
    struct Case {
        const char* what;
        int position;
        std::optional<ClockColors> dialogAnswer;
        Stored after;
    };
    const ClockColors mine{0x123456, 0x010203};
    for (const Case& c : std::vector<Case>{
             {"Green", 1, std::nullopt, {32779, 0x00FF00, 0x003000}},
             {"Red", 2, std::nullopt, {32778, 0x0000FF, 0x000030}},
             {"Blue", 0, std::nullopt, {32780, 0xFF0000, 0x300000}},
             {"Custom, OK", 3, mine, {32791, 0x123456, 0x010203}},
             {"Green again", 1, std::nullopt, {32779, 0x00FF00, 0x003000}},
             // Cancelled: the colours stay, written again; the scheme stays too.
             {"Custom, cancelled", 3, std::nullopt, {32779, 0x00FF00, 0x003000}},
         }) {
        custom = c.dialogAnswer;
        offered.clear();
        const int writes = f.store.writeCount();
        choose(c.position);
        EXPECT_EQ(stored(), c.after) << c.what;
        EXPECT_EQ(ReadClockColors(f.runtime), (ClockColors{static_cast<ColorRef>(c.after.lit),
                                                           static_cast<ColorRef>(c.after.unlit)}))
            << c.what;
        EXPECT_EQ(page->display()->state().lit, static_cast<ColorRef>(c.after.lit)) << c.what;
        EXPECT_EQ(f.store.writeCount() - writes, c.position == 3 && !c.dialogAnswer ? 2 : 3)
            << c.what;
        if (c.position == 3) {
            ASSERT_EQ(offered.size(), 1u) << c.what;
        } else {
            EXPECT_TRUE(offered.empty()) << c.what << ": no dialog";
        }
    }
    // The dialog was opened with the pair in use.
    EXPECT_EQ(offered[0], (ClockColors{0x00FF00, 0x003000}));
    // After the cancelled dialog the list shows "Custom" until the next second's tick puts back
    // the stored scheme.
    EXPECT_EQ(list->currentIndex(), 3);
    page->FireTimer(Page::kFastTimer);
    EXPECT_EQ(list->currentIndex(), 3) << "the 100 ms tick leaves the list alone";
    page->FireTimer(Page::kSchemeTimer);
    EXPECT_EQ(list->currentIndex(), 1);

    // Keyboard: Down on the closed list picks the next scheme.
    list->setFocus();
    ASSERT_TRUE(test::waitFor([&] { return list->hasFocus(); }, 2000));
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(stored(), (Stored{32778, 0x0000FF, 0x000030}));
}

TEST_F(TimePageTest, BothClocksChangeColourTogether) {
    f.flags.timeLocked = 1;
    show();
    NoHost host;
    f.store.write(keys::DigitalClockEnabled, 0);  // hidden: the sheet keeps the focus
    ClockWindow clock(f.store, f.runtime, f.clock, host);
    auto* button = page->Control<QPushButton>(Page::kUpdateNow);

    // From the page: the desktop clock takes the pair at its next 100 ms tick.
    choose(1);
    clock.logic().CopyColorsToDisplay();
    EXPECT_EQ(clock.display().state().lit, 0x00FF00u);
    EXPECT_EQ(clock.display().state().unlit, 0x003000u);

    // From the clock's menu: the page's display at its next tick, the list within a second,
    // unless the list has the focus.
    clock.runCommand(command::kRedClock);
    page->FireTimer(Page::kFastTimer);
    EXPECT_EQ(page->display()->state().lit, 0x0000FFu);
    EXPECT_EQ(list->currentIndex(), 1) << "the list waits for the one-second tick";
    list->setFocus();
    ASSERT_TRUE(test::waitFor([&] { return list->hasFocus(); }, 2000));
    page->FireTimer(Page::kSchemeTimer);
    EXPECT_EQ(list->currentIndex(), 1) << "not while the user is in the list";
    button->setFocus();
    ASSERT_TRUE(test::waitFor([&] { return !list->hasFocus(); }, 2000));
    page->FireTimer(Page::kSchemeTimer);
    EXPECT_EQ(list->currentIndex(), 2);

    // The button follows the flags at every tick.
    EXPECT_TRUE(button->isEnabled());
    f.flags.syncBusy = 1;
    page->FireTimer(Page::kFastTimer);
    EXPECT_FALSE(button->isEnabled());
    f.flags.syncBusy = 0;
    f.flags.timeLocked = 0;
    page->FireTimer(Page::kSchemeTimer);
    EXPECT_FALSE(button->isEnabled());
    f.flags.timeLocked = 1;
    page->FireTimer(Page::kFastTimer);
    ASSERT_TRUE(button->isEnabled());
    button->click();
    EXPECT_EQ(f.starts, 1);
    EXPECT_EQ(f.runtime.currentServer(), "chosen.example");
}

}  // namespace
}  // namespace horalux
