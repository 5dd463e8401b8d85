// "Update PC Clock": the interval stored as typed, keystroke by keystroke, in its low 16 bits;
// the hidden set-beep box; the button following the update state; how the clock stands from the
// record of clock updates.
#include "pages/horalux_property_page2.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <vector>

#include "app/settings_keys.h"
#include "app/update_log.h"
#include "displays/correction_plot.h"
#include "displays/display_accessibility.h"
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

// A day of hourly SNTP updates before `now` with a PC clock that gains 12.4 ppm (each setting
// within 2 ms), the first finding it 2.5 s behind, and a silent server at three of them.
std::vector<UpdateOutcome> SimulatedDay(int64_t now) {
    std::vector<UpdateOutcome> day;
    const int64_t hour = 3600000;
    int64_t lastSet = 0;
    for (int i = 24; i >= 1; --i) {
        UpdateOutcome o;
        o.timeMs = now - i * hour + 90000;
        o.reference = UpdateReference::Sntp;
        o.source = "pool.example";
        if (i == 20 || i == 9 || i == 8) {
            o.result = UpdateResult::ServerSilent;
        } else {
            o.delayMs = 0.4;
            o.correctionMs =
                lastSet == 0
                    ? 2500
                    : std::llround(-12.4e-6 * static_cast<double>(o.timeMs - lastSet)) + i % 3 - 1;
            lastSet = o.timeMs;
        }
        day.push_back(o);
    }
    return day;
}

QLabel* LabelFor(PropertyPage& page, const QString& text) {
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->text() == text) {
            return label;
        }
    }
    return nullptr;
}

TEST(UpdatePcClockPageTest, ShowsHowTheClockStandsFromTheRecord) {
    // The record outlives the page, as the program's does.
    test::TempDir dir;
    UpdateLog log((dir.path() / "clock-updates.log").string(), [](const std::string&) {});
    test::PageFixture f;
    PageServices services = f.services();
    services.updates = &log;
    f.flags.timeLocked = 1;
    auto& page = f.Show(new Page(services, f.sheet.bubbleTip()));
    CorrectionPlot* plot = page.plot();
    ASSERT_NE(plot, nullptr);
    const auto text = [&](int id) { return page.Control<QLabel>(id)->text(); };

    // Every field has its label as buddy and says "—" while there is nothing to tell.
    struct Field {
        const char* label;
        int id;
    };
    for (const Field& field :
         {Field{"Last update:", Page::kLastUpdate},
          Field{"Last correction:", Page::kLastCorrection}, Field{"Drift:", Page::kDrift},
          Field{"Corrections over:", Page::kRange}}) {
        QLabel* label = LabelFor(page, QString::fromUtf8(field.label));
        ASSERT_NE(label, nullptr) << field.label;
        EXPECT_EQ(label->buddy(), page.Control(field.id)) << field.label;
        EXPECT_FALSE(page.Control(field.id)->accessibleDescription().isEmpty()) << field.label;
        if (field.id != Page::kRange) {
            EXPECT_EQ(text(field.id), QStringLiteral("\u2014")) << field.label;
        }
    }
    EXPECT_EQ(AccessibleNameOf(plot),
              QStringLiteral("Clock corrections in the last 24 hours: no updates."));

    // One setting: its correction, no drift yet. The page follows the moment it is recorded.
    const int64_t now = f.clock.nowMillis();
    UpdateOutcome first;
    first.timeMs = now - 3600000;
    first.reference = UpdateReference::Sntp;
    first.source = "127.0.0.1:12300";
    first.correctionMs = 2500;
    log.Append(first);
    EXPECT_EQ(text(Page::kLastUpdate),
              QStringLiteral("2001-03-18 18:53:17 UTC, SNTP, 127.0.0.1:12300: set"));
    EXPECT_EQ(text(Page::kLastCorrection), QStringLiteral("+2.500 s"));
    EXPECT_EQ(text(Page::kDrift), QStringLiteral("\u2014")) << "one setting gives no drift";

    // A failure keeps the last correction on view; a second setting gives the drift.
    UpdateOutcome failed;
    failed.timeMs = now - 1800000;
    failed.reference = UpdateReference::Gps;
    failed.source = "GGA";
    failed.result = UpdateResult::LocalHour;
    log.Append(failed);
    EXPECT_EQ(text(Page::kLastUpdate),
              QStringLiteral("2001-03-18 19:23:17 UTC, GPS (GGA): not set, local hour 23 or 1"));
    EXPECT_EQ(text(Page::kLastCorrection), QStringLiteral("+2.500 s"));
    UpdateOutcome second = first;
    second.timeMs = now;
    second.correctionMs = -45;  // 12.5 ppm fast over the hour
    log.Append(second);
    EXPECT_EQ(text(Page::kLastCorrection), QStringLiteral("\u221245 ms"));
    EXPECT_EQ(text(Page::kDrift), QStringLiteral("+12.5 ppm (+1.08 s a day)"));
    EXPECT_TRUE(AccessibleNameOf(plot).startsWith(
        QStringLiteral("Clock corrections in the last 24 hours: 3 updates, 2 set, 1 not set; "
                       "from \u221245 ms to +2.500 s")))
        << AccessibleNameOf(plot).toStdString();

    // One paint per change: the time going on within the minute paints nothing.
    QApplication::processEvents();
    const int paints = plot->paintCount();
    for (int i = 0; i < 4; ++i) {
        f.clock.advance(1000);
        page.FireTimer(1);
        QApplication::processEvents();
    }
    EXPECT_EQ(plot->paintCount(), paints);
    log.Append(second);
    QApplication::processEvents();
    EXPECT_EQ(plot->paintCount(), paints + 1);

    // The range from the keyboard.
    auto* range = page.Control<QComboBox>(Page::kRange);
    ASSERT_EQ(range->count(), 2);
    EXPECT_EQ(range->currentText(), QStringLiteral("Last 24 hours"));
    range->setFocus();
    QTest::keyClick(range, Qt::Key_Down);
    EXPECT_EQ(range->currentText(), QStringLiteral("Last 30 days"));
    EXPECT_EQ(plot->state().range(), CorrectionRange::Month);
    EXPECT_TRUE(AccessibleNameOf(plot).startsWith(
        QStringLiteral("Clock corrections in the last 30 days: 4 updates")));
    QTest::keyClick(range, Qt::Key_Up);
    EXPECT_EQ(plot->state().range(), CorrectionRange::Day);
}

TEST(UpdatePcClockPageTest, ADayOfSimulatedUpdates) {
    // The record outlives the page, as the program's does.
    test::TempDir dir;
    UpdateLog log((dir.path() / "clock-updates.log").string(), [](const std::string&) {});
    test::PageFixture f;
    for (const UpdateOutcome& o : SimulatedDay(f.clock.nowMillis())) {
        log.Append(o);
    }
    PageServices services = f.services();
    services.updates = &log;
    f.flags.timeLocked = 1;
    auto& page = f.Show(new Page(services, f.sheet.bubbleTip()));
    EXPECT_EQ(page.Control<QLabel>(Page::kLastCorrection)->text(), QStringLiteral("\u221245 ms"));
    const QString drift = page.Control<QLabel>(Page::kDrift)->text();
    EXPECT_TRUE(drift.startsWith(QStringLiteral("+12."))) << drift.toStdString();
    EXPECT_TRUE(
        AccessibleNameOf(page.plot())
            .startsWith(QStringLiteral("Clock corrections in the last 24 hours: 24 updates, "
                                       "21 set, 3 not set")));

    // The labels of the last update and correction stand in one column, whole, and so do their
    // fields; "Drift:" follows the correction on its line; the plot lies under the button and
    // the range, inside the page.
    const auto at = [&](int id) { return page.Control(id)->geometry(); };
    const auto labelAt = [&](const char* text) {
        QLabel* label = LabelFor(page, QString::fromUtf8(text));
        EXPECT_NE(label, nullptr) << text;
        if (label == nullptr) {
            return QRect();
        }
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << text;
        return label->geometry();
    };
    const QRect update = labelAt("Last update:");
    const QRect correction = labelAt("Last correction:");
    const QRect driftLabel = labelAt("Drift:");
    EXPECT_EQ(update.left(), correction.left());
    EXPECT_EQ(at(Page::kLastUpdate).left(), at(Page::kLastCorrection).left());
    EXPECT_LT(correction.right(), at(Page::kLastCorrection).left());
    EXPECT_LT(at(Page::kLastCorrection).right(), driftLabel.left());
    EXPECT_EQ(driftLabel.top(), correction.top());
    EXPECT_LT(driftLabel.right(), at(Page::kDrift).left());
    EXPECT_GT(at(Page::kPlot).top(), at(Page::kUpdateNow).bottom());
    EXPECT_GT(at(Page::kPlot).top(), at(Page::kRange).bottom());
    EXPECT_LE(at(Page::kPlot).bottom(), page.minimumHeight());

    // At the plot's size the hourly corrections of some -45 ms stand clear of the zero line
    // beside the first one of +2.5 s, and every gridline has its label.
    const QFontMetrics metrics(page.plot()->font());
    const CorrectionPlotState::Picture picture =
        page.plot()->state().Layout(page.plot()->width(), page.plot()->height(), metrics.height(),
                                    [&](const QString& t) { return metrics.horizontalAdvance(t); });
    ASSERT_EQ(picture.stems.size(), 21u);
    for (const QPoint& stem : picture.stems) {
        EXPECT_GE(std::abs(stem.y() - picture.zeroRow), 20) << stem.x();
    }
    for (const CorrectionPlotState::Tick& tick : picture.correctionTicks) {
        EXPECT_FALSE(tick.text.isEmpty()) << tick.position;
    }
    QApplication::processEvents();
    f.Screenshot("page-update-pc-clock-day");
    auto* range = page.Control<QComboBox>(Page::kRange);
    range->setFocus();
    QTest::keyClick(range, Qt::Key_Down);
    QApplication::processEvents();
    f.Screenshot("page-update-pc-clock-month");
}

}  // namespace
}  // namespace horalux
