// The "GPS Signal Quality" tab through its timer: times, lock, status, the button, the light and
// the bars, fed by sentences through the reader and parser.
#include "pages/horalux_property_page1.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

#include "displays/activity_led.h"
#include "displays/display_accessibility.h"
#include "displays/signal_quality_graph.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "nmea_replay/synthetic_receiver.h"
#include "page_fixture.h"
#include "ui/dialog_units.h"

namespace horalux {
namespace {

using replay::nmeaSentence;

struct StatusPage {
    StatusPage() : parser(f.gps, &f.sky), reader(f.gps, parser, f.clock) {
        page = &f.Show(new CHoraluxPropertyPage1(f.services(), f.sheet.bubbleTip()));
    }
    QString Text(int id) const { return page->Control<QLineEdit>(id)->text(); }
    void Receive(const std::string& body) {
        const std::string s = nmeaSentence(body);
        reader.Feed(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    }
    // One tick of the page's 50 ms timer after the clock has moved on by `ms`.
    void Tick(int ms = 50) {
        f.clock.advance(ms);
        page->FireTimer(1);
    }

    test::PageFixture f;
    NmeaParser parser;
    NmeaReader reader;
    CHoraluxPropertyPage1* page = nullptr;
};

TEST(GpsStatusPageTest, TemplateTipsAndTheNamesAScreenReaderGives) {
    StatusPage p;
    struct {
        int id;
        DlgRect rect;
        const char* name;
        const char* tip;
    } const controls[] = {
        {1001, {54, 8, 57, 12}, "GPS Time:", "Shows the time from the GPS reciever."},
        {1002, {54, 24, 57, 12}, "Local Time:", "Shows the current local time on the PC."},
        {1008, {125, 7, 80, 14}, "", "Sets the PC clock now. GPS receiver must be locked."},
        {1033, {125, 23, 80, 14}, "", "Resets the minimum and maximum signal quality levels"},
        {1004,
         {262, 8, 57, 12},
         "GPS Locked:",
         "Shows the GPS receiver is tracking satellites and time is good."},
        {1007,
         {246, 24, 78, 12},
         "Status:",
         "Shows GPS status and status while the system is setting the PC clock."},
        {1031,
         {335, 10, 8, 8},
         "Rx:",
         "Shows that NMEA data is being processed from the GPS receiver."},
        {1000, {7, 44, 336, 78}, "", "Shows individual satellite signal quality."},
    };
    for (const auto& c : controls) {
        QWidget* w = p.page->Control(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_EQ(w->geometry(), dialogRect(c.rect.x, c.rect.y, c.rect.width, c.rect.height))
            << c.id;
        EXPECT_EQ(w->accessibleDescription(), QString::fromUtf8(c.tip)) << c.id;
        if (*c.name != 0 && c.id != 1031) {
            EXPECT_TRUE(p.page->Control<QLineEdit>(c.id)->isReadOnly());
            const auto labels = p.page->findChildren<QLabel*>();
            const auto label = std::find_if(labels.begin(), labels.end(),
                                            [&](QLabel* l) { return l->buddy() == w; });
            ASSERT_NE(label, labels.end()) << c.id;
            EXPECT_EQ((*label)->text(), QString::fromUtf8(c.name));
        }
    }
    EXPECT_EQ(AccessibleNameOf(p.page->light()), QStringLiteral("Rx:"));
    EXPECT_EQ(p.page->light()->state().Cell(), QPoint(16, 144)) << "large green LED, dim";
    EXPECT_EQ(p.page->Control<QPushButton>(1008)->text(), QStringLiteral("Update PC Clock Now"));
    EXPECT_TRUE(p.page->TimerRunning(1));
    EXPECT_EQ(p.page->TimerPeriod(1), 50);
}

TEST(GpsStatusPageTest, WithoutAReceiverLocalTimeTicksAndNothingElseMoves) {
    StatusPage p;
    EXPECT_EQ(p.Text(1002), QString()) << "empty until the first tick";
    p.Tick();
    EXPECT_EQ(p.Text(1001), QString()) << "GPS second still 0";
    EXPECT_EQ(p.Text(1002), QStringLiteral("19:53:17"));
    EXPECT_EQ(p.Text(1004), QStringLiteral("UNLOCKED"));
    EXPECT_EQ(p.Text(1007), QStringLiteral("Idle"));
    EXPECT_FALSE(p.page->Control(1008)->isEnabled());
    EXPECT_EQ(p.page->light()->state().ledState, 1);
    EXPECT_EQ(p.page->graph()->state().barCount, 12);
    for (int i = 0; i < 19; ++i) {
        p.Tick();
    }
    EXPECT_EQ(p.Text(1002), QStringLiteral("19:53:18"));
}

TEST(GpsStatusPageTest, SentencesFlashTheLightAndSetTheTimeAndTheBars) {
    StatusPage p;
    p.Receive("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    p.Tick();
    EXPECT_EQ(p.Text(1001), QStringLiteral("12:35:19"));
    EXPECT_EQ(p.page->light()->state().ledState, 0) << "lit at the first new sentence";
    EXPECT_TRUE(p.page->light()->timerRunning());

    // Eight satellites in view: 12 bars become 8, erased; the next GSV repaints 8 without.
    auto& bars = p.page->graph()->state();
    p.Receive("GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1");
    p.Receive("GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45");
    p.Receive("GPGSV,2,2,08,04,40,083,30,05,17,308,00,09,07,344,39,24,22,228,45");
    p.Tick();
    EXPECT_EQ(bars.barCount, 8);
    EXPECT_EQ(bars.bars[0].prn, 1);
    EXPECT_EQ(bars.bars[0].snr, 46);
    EXPECT_EQ(bars.bars[2].used, 1) << "PRN 12 is in the GSA";
    EXPECT_EQ(bars.bars[4].prn, 4);
    EXPECT_EQ(AccessibleNameOf(p.page->graph()).left(24),
              QStringLiteral("Signal quality: 8 bars: "));

    // Fourteen in view: 14 bars; only 12 entries are copied, so 13 and 14 stay PRN 0.
    p.Receive("GPGSV,4,4,14,30,10,100,20,31,11,110,21");
    p.Tick();
    EXPECT_EQ(bars.barCount, 14);
    EXPECT_EQ(bars.bars[12].prn, 0);
    EXPECT_EQ(bars.bars[13].prn, 0);
    // An absurd count is bounded to the table; a count of 0 leaves the bars as they are.
    p.Receive("GPGSV,1,1,99");
    p.Tick();
    EXPECT_EQ(bars.barCount, 32);
    p.Receive("GPGSV,1,1,00");
    p.Tick();
    EXPECT_EQ(bars.barCount, 32);

    // "Reset Signal Quality" forgets the extremes.
    p.page->graph()->grab();
    EXPECT_NE(bars.seenMax, SignalQualityState::kNoMax);
    p.page->Control<QPushButton>(1033)->click();
    EXPECT_EQ(bars.seenMax, SignalQualityState::kNoMax);
    EXPECT_EQ(bars.seenMin, SignalQualityState::kNoMin);
}

TEST(GpsStatusPageTest, LockStatusAndTheButtonFollowTheFlagsOncePerLocalSecond) {
    StatusPage p;
    p.Tick();
    p.f.flags.timeLocked = 1;
    p.Tick();
    EXPECT_EQ(p.Text(1004), QStringLiteral("UNLOCKED")) << "the same local second";
    p.Tick(1000);
    EXPECT_EQ(p.Text(1004), QStringLiteral("LOCKED"));
    auto* button = p.page->Control<QPushButton>(1008);
    ASSERT_TRUE(button->isEnabled());

    button->click();
    EXPECT_EQ(p.f.starts, 1) << "the tray's way: choose the server, then start the update";
    EXPECT_EQ(p.f.runtime.currentServer(), "chosen.example");
    p.f.flags.syncBusy = 1;
    p.Tick(1000);
    EXPECT_EQ(p.Text(1007), QStringLiteral("Seting PC Clock.."));
    EXPECT_FALSE(button->isEnabled());
    p.f.flags.syncBusy = 0;
    p.f.flags.timeLocked = 0;
    p.Tick(1000);
    EXPECT_EQ(p.Text(1007), QStringLiteral("Idle"));
    EXPECT_EQ(p.Text(1004), QStringLiteral("UNLOCKED"));
    EXPECT_FALSE(button->isEnabled());
}

TEST(GpsStatusPageTest, AReceiverOfSeveralSystemsGetsABarForEachSatelliteOfTheView) {
    StatusPage p;
    auto& bars = p.page->graph()->state();
    p.Receive("GPGSA,A,3,02,,,,,,,,,,,,2.5,1.3,2.1");
    p.Receive("GPGSV,1,1,02,01,40,083,30,02,17,308,41");
    p.Tick();
    EXPECT_EQ(bars.barCount, 2) << "GPS alone: the record's bars";
    EXPECT_FALSE(bars.bars[0].system.has_value());

    p.Receive("GLGSV,1,1,01,65,40,083,46");
    p.Tick();
    ASSERT_EQ(bars.barCount, 3);
    const auto label = [&](int i) { return SignalQualityState::Label(bars.bars[size_t(i)]); };
    EXPECT_EQ(label(0), QStringLiteral("G02")) << "used first";
    EXPECT_EQ(label(1), QStringLiteral("R65")) << "then the strongest";
    EXPECT_EQ(label(2), QStringLiteral("G01"));
    EXPECT_EQ(AccessibleNameOf(p.page->graph()),
              QStringLiteral("Signal quality: 3 bars (GPS 2, 1 used; GLONASS 1, 0 used): G02 41 "
                             "dB used; R65 46 dB; G01 30 dB"));

    // The watchdog's reset clears the view with the record: the record's bars again, the view's
    // gone even beyond the twelve.
    p.f.sky.Clear();
    p.f.gps.Reset();
    p.Receive("GPGSV,4,4,14,30,10,100,20,31,11,110,21");
    p.Tick();
    EXPECT_EQ(bars.barCount, 14);
    EXPECT_EQ(bars.bars[2].prn, 0);
    EXPECT_FALSE(bars.bars[0].system.has_value());
}

}  // namespace
}  // namespace horalux
