// A GPS-only receiver capture replayed through the sentence reader and parser into the "GPS
// Signal Quality" and "Position" tabs, on a fake clock and with no real time in between: one
// burst a second, the pages' timers ticked by hand. The two tabs are saved as screenshots
// (pages-replay-gps-status.png, pages-replay-position.png); two runs give the same pixels, so a
// later change to the data path can be compared with these pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>

#include "displays/activity_led.h"
#include "displays/display_accessibility.h"
#include "displays/signal_quality_graph.h"
#include "displays/sky_plot.h"
#include "gps/fake_serial_input.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/position_format.h"
#include "nmea_replay/nmea_replay_script.h"
#include "page_fixture.h"
#include "pages/horalux_property_page1.h"
#include "pages/horalux_property_page3.h"
#include "support/testdata.h"
#include "sync/time_lock.h"
#include "ui/wait_for.h"

namespace horalux {
namespace {

using replay::NmeaReplayScript;
using replay::utcSecondFromUnix;

// Lets pending repaints run.
void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

void SaveScreenshot(const QImage& image, const std::string& name) {
    const auto dir = test::buildDir() / "screenshots";
    std::filesystem::create_directories(dir);
    image.save(QString::fromStdString((dir / (name + ".png")).string()));
}

class ReplayedPages {
  public:
    ReplayedPages() : parser_(f.gps), reader_(f.gps, parser_, f.clock) {
        f.clock.setNow(utcFromUnixMillis(1'420'000'000'000));  // 2014-12-31 04:26:40 UTC
        f.gps.portHandle = &input_;
        status = new CHoraluxPropertyPage1(f.services(), f.sheet.bubbleTip());
        position = new CHoraluxPropertyPage3(f.services(), f.sheet.bubbleTip());
        f.sheet.addPage(status, status->caption());
        f.sheet.addPage(position, position->caption());
        f.sheet.show();
        status->Create();
        position->Create();
    }

    // Plays every burst in its own second, 100 ms after the second begins, as nmea-replay does;
    // the main frame's poll and lock test and the status page run every 50 ms, the Position
    // page once a second.
    void Play(const NmeaReplayScript& script) {
        for (size_t i = 0; i < script.burstCount(); ++i) {
            const int64_t second = f.clock.nowMillis() / 1000;
            for (int tick = 0; tick < 20; ++tick) {
                f.clock.advance(50);
                if (tick == 1) {
                    input_.receive(script.render(i, utcSecondFromUnix(second)));
                }
                reader_.Poll();
                f.flags.timeLocked = TimeLockTest(f.gps, f.runtime);
                status->FireTimer(1);
            }
            position->FireTimer(1);
            Settle();
        }
    }

    // The sheet on one tab, once the light has gone dim.
    QImage Grab(QWidget* page) {
        f.sheet.setCurrentWidget(page);
        test::waitFor([&] { return !status->light()->state().flashing; }, 2000);
        Settle();
        return f.sheet.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    test::PageFixture f;
    CHoraluxPropertyPage1* status = nullptr;
    CHoraluxPropertyPage3* position = nullptr;

  private:
    NmeaParser parser_;
    NmeaReader reader_;
    FakeSerialInput input_;
};

TEST(StatusPagesReplayTest, TwelveChannelGpsCaptureShowsOnBothTabsTheSameEachRun) {
    HORALUX_REQUIRE_CAPTURES();
    const auto log = test::readFile(*test::captureDir() / "bu353s4.log");
    const NmeaReplayScript script = NmeaReplayScript::fromLog(log);
    ASSERT_GT(script.burstCount(), 5u);

    ReplayedPages run;
    run.Play(script);
    const GpsState& gps = run.f.gps;
    ASSERT_EQ(gps.satellitesInView, 12);
    ASSERT_EQ(gps.stale, 0);

    const auto text = [](PropertyPage* page, int id) {
        return page->Control<QLineEdit>(id)->text();
    };
    EXPECT_EQ(text(run.status, 1001),
              QString::asprintf("%02d:%02d:%02d", gps.utcHour, gps.utcMinute, gps.utcSecond));
    EXPECT_EQ(text(run.status, 1004), QStringLiteral("LOCKED"));
    EXPECT_EQ(text(run.status, 1007), QStringLiteral("Idle"));
    EXPECT_EQ(run.status->graph()->state().barCount, 12);
    EXPECT_EQ(text(run.position, 1003), FormatLatitude(run.f.store, gps.latitude));
    EXPECT_TRUE(text(run.position, 1003).startsWith(QString::fromUtf8("S 37° 47.0")))
        << text(run.position, 1003).toStdString();
    EXPECT_TRUE(text(run.position, 1005).startsWith(QString::fromUtf8("E 175° 18.")));
    EXPECT_TRUE(AccessibleNameOf(run.position->skyPlot()).startsWith(QStringLiteral("Sky plot: 1")))
        << AccessibleNameOf(run.position->skyPlot()).toStdString();

    const QImage statusShot = run.Grab(run.status);
    const QImage positionShot = run.Grab(run.position);
    SaveScreenshot(statusShot, "pages-replay-gps-status");
    SaveScreenshot(positionShot, "pages-replay-position");

    ReplayedPages again;
    again.Play(script);
    EXPECT_EQ(again.Grab(again.status), statusShot);
    EXPECT_EQ(again.Grab(again.position), positionShot);
}

}  // namespace
}  // namespace horalux
