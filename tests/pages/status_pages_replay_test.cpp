// Receiver captures replayed through the sentence reader and parser into the "GPS Signal Quality"
// and "Position" tabs, on a fake clock and with no real time in between: one burst a second,
// the pages' timers ticked by hand. The pages are fed as the program feeds them, with a sky
// view beside the record, or as they were fed before there was one (the record alone):
// - a GPS-only receiver's tabs are the same pixels either way;
// - a multi-constellation receiver's tabs show every satellite of the view;
// - a constellation that falls silent leaves the plot and the graph after 3 s.
// Screenshots go to build/screenshots/: pages-replay-gps-status.png and pages-replay-position.png
// (a 12-channel GPS receiver), and for two multi-constellation receivers each tab before the
// view and with it (pages-replay-<capture>-<tab>-before.png beside ...-after.png).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "../displays/position_page_plot.h"
#include "../gps/sky_satellite_print.h"
#include "displays/activity_led.h"
#include "displays/display_accessibility.h"
#include "displays/signal_quality_graph.h"
#include "displays/sky_plot.h"
#include "displays/sky_plot_legend.h"
#include "gps/fake_serial_input.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/position_format.h"
#include "gps/sky_view.h"
#include "nmea_replay/nmea_replay_script.h"
#include "page_fixture.h"
#include "pages/horalux_property_page1.h"
#include "pages/horalux_property_page3.h"
#include "support/testdata.h"
#include "sync/time_lock.h"

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

NmeaReplayScript Capture(const std::string& name) {
    return NmeaReplayScript::fromLog(test::readFile(*test::captureDir() / name));
}

// How the pages are fed: with the sky view, as the program does, or with the record alone.
enum class Feed { SkyView, RecordOnly };

class ReplayedPages {
  public:
    explicit ReplayedPages(Feed feed)
        : parser_(f.gps, feed == Feed::SkyView ? &f.sky : nullptr),
          reader_(f.gps, parser_, f.clock) {
        f.clock.setNow(utcFromUnixMillis(1'420'000'000'000));  // 2014-12-31 04:26:40 UTC
        f.gps.portHandle = &input_;
        PageServices services = f.services();
        services.sky = feed == Feed::SkyView ? &f.sky : nullptr;
        status = new CHoraluxPropertyPage1(services, f.sheet.bubbleTip());
        position = new CHoraluxPropertyPage3(services, f.sheet.bubbleTip());
        f.sheet.addPage(status, status->caption());
        f.sheet.addPage(position, position->caption());
        f.sheet.show();
        status->Create();
        position->Create();
        // The plot's first paint, as when its tab was shown once: from then on its updates draw
        // into its picture while the tab is hidden.
        position->skyPlot()->grab();
    }

    // Plays one burst in its own second, 100 ms after the second begins, as nmea-replay does;
    // the main frame's poll and lock test and the status page run every 50 ms, the Position
    // page once a second.
    void PlayBurst(const std::string& bytes) {
        for (int tick = 0; tick < 20; ++tick) {
            f.clock.advance(50);
            if (tick == 1) {
                input_.receive(bytes);
            }
            reader_.Poll();
            f.flags.timeLocked = TimeLockTest(f.gps, f.runtime);
            status->FireTimer(1);
        }
        position->FireTimer(1);
        Settle();
    }
    void Play(const NmeaReplayScript& script,
              const std::function<void(size_t)>& afterBurst = nullptr) {
        for (size_t i = 0; i < script.burstCount(); ++i) {
            PlayBurst(script.render(i, utcSecondFromUnix(f.clock.nowMillis() / 1000)));
            if (afterBurst) {
                afterBurst(i);
            }
        }
    }

    // The sheet on one tab, with the light dimmed.
    QImage Grab(QWidget* page) {
        f.sheet.setCurrentWidget(page);
        status->light()->FireTimer(ActivityLedState::kFlashTimer);
        Settle();
        return f.sheet.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The two displays as they stand: the plot's picture and the graph's.
    std::pair<QImage, QImage> Displays() {
        return {position->skyPlot()->buffer(),
                status->graph()->grab().toImage().convertToFormat(QImage::Format_RGB32)};
    }

    SkyPlot& plot() const { return *position->skyPlot(); }
    SignalQualityState& bars() const { return status->graph()->state(); }

    test::PageFixture f;
    CHoraluxPropertyPage1* status = nullptr;
    CHoraluxPropertyPage3* position = nullptr;

  private:
    NmeaParser parser_;
    NmeaReader reader_;
    FakeSerialInput input_;
};

TEST(StatusPagesReplayTest, TwelveChannelGpsCaptureShowsOnBothTabs) {
    HORALUX_REQUIRE_CAPTURES();
    const NmeaReplayScript script = Capture("bu353s4.log");
    ASSERT_GT(script.burstCount(), 5u);

    ReplayedPages run(Feed::SkyView);
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
    EXPECT_EQ(run.bars().barCount, 12);
    EXPECT_EQ(text(run.position, 1003), FormatLatitude(run.f.store, gps.latitude));
    EXPECT_TRUE(text(run.position, 1003).startsWith(QString::fromUtf8("S 37° 47.0")))
        << text(run.position, 1003).toStdString();
    EXPECT_TRUE(text(run.position, 1005).startsWith(QString::fromUtf8("E 175° 18.")));
    EXPECT_TRUE(AccessibleNameOf(&run.plot()).startsWith(QStringLiteral("Sky plot: 1")))
        << AccessibleNameOf(&run.plot()).toStdString();
    EXPECT_TRUE(run.position->legend()->isHidden()) << "GPS alone needs no legend";

    SaveScreenshot(run.Grab(run.status), "pages-replay-gps-status");
    SaveScreenshot(run.Grab(run.position), "pages-replay-position");
}

// A capture whose every GSV group comes from the GP talker.
bool GpsOnly(const std::string& log) {
    GpsState gps;
    SkyView sky;
    NmeaParser parser(gps, &sky);
    FakeSystemClock clock;
    NmeaReader reader(gps, parser, clock);
    reader.Feed(reinterpret_cast<const uint8_t*>(log.data()), log.size());
    return sky.GpsOnly();
}

TEST(StatusPagesReplayTest, GpsOnlyCapturesShowTheRecordsPixelsWithTheSkyView) {
    HORALUX_REQUIRE_CAPTURES();
    std::set<std::string> compared;
    for (const auto& path : test::captureFiles()) {
        const std::string log = test::readFile(path);
        if (!GpsOnly(log) || log.find("GSV,") == std::string::npos) {
            continue;
        }
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const NmeaReplayScript script = NmeaReplayScript::fromLog(log);
        // Both ways in step, burst by burst: the plot and the graph after every second, the
        // tabs and what a screen reader hears at the end.
        ReplayedPages now(Feed::SkyView);
        ReplayedPages before(Feed::RecordOnly);
        for (size_t i = 0; i < script.burstCount(); ++i) {
            const std::string burst =
                script.render(i, utcSecondFromUnix(now.f.clock.nowMillis() / 1000));
            now.PlayBurst(burst);
            before.PlayBurst(burst);
            ASSERT_TRUE(now.Displays() == before.Displays()) << "after burst " << i;
        }
        ASSERT_TRUE(now.f.sky.GpsOnly());
        EXPECT_EQ(now.Grab(now.status), before.Grab(before.status));
        EXPECT_EQ(now.Grab(now.position), before.Grab(before.position));
        EXPECT_EQ(AccessibleNameOf(&now.plot()), AccessibleNameOf(&before.plot()));
        EXPECT_EQ(AccessibleNameOf(now.status->graph()), AccessibleNameOf(before.status->graph()));
        compared.insert(name);
    }
    // Among them, receivers that send SBAS satellites under GP: the record's number 32 stays.
    EXPECT_TRUE(compared.count("bu353s4.log"));
    EXPECT_TRUE(compared.count("ac12.log"));
    EXPECT_TRUE(compared.count("ublox-lea-4h.log"));
    EXPECT_GE(compared.size(), 12u);
}

// A satellite as the displays hold it: system, number, elevation, azimuth, used.
using Shown = std::tuple<GnssSystem, int, int, int, bool>;

std::multiset<Shown> OnThePlot(const SkyPlotState& plot) {
    std::multiset<Shown> out;
    for (const SatelliteSlot& s : plot.satelliteSlots) {
        if (s.prn != 0) {
            EXPECT_TRUE(s.system.has_value()) << "slot of " << s.prn;
            out.insert(
                {s.system.value_or(GnssSystem::Gps), s.prn, s.elevation, s.azimuth, s.used == 1});
        }
    }
    return out;
}

std::multiset<Shown> Expected(const std::vector<SkySatellite>& satellites) {
    std::multiset<Shown> out;
    for (const SkySatellite& s : satellites) {
        out.insert({s.system, s.prn, s.elevation, s.azimuth, s.used});
    }
    return out;
}

TEST(StatusPagesReplayTest, MultiConstellationCapturesShowEverySatelliteOfTheView) {
    HORALUX_REQUIRE_CAPTURES();
    // The two receivers whose tabs are saved before the view and with it.
    const std::map<std::string, std::string> screenshots = {
        {"telit-pls83-w.log", "telit-pls83-w"}, {"ublox-f9p-hpnmea.log", "ublox-f9p-hpnmea"}};
    int checked = 0;
    for (const auto& path : test::captureFiles()) {
        const std::string log = test::readFile(path);
        if (GpsOnly(log)) {
            continue;
        }
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const NmeaReplayScript script = NmeaReplayScript::fromLog(log);
        ReplayedPages run(Feed::SkyView);
        run.Play(script);
        const std::vector<SkySatellite> view = run.f.sky.Satellites();
        ASSERT_FALSE(view.empty());

        // The plot: the view's satellites (the 40 highest) with their systems, each labelled
        // with its letter and number; the legend: the view's systems.
        EXPECT_EQ(OnThePlot(run.plot().state()), Expected(SelectForPlot(view)));
        for (const SatelliteSlot& s : run.plot().state().satelliteSlots) {
            if (s.system) {
                EXPECT_EQ(run.plot().state().Label(s.prn, s.system),
                          QString::fromStdString(SatelliteLabel(*s.system, s.prn)));
            }
        }
        const SkyPlotLegend& legend = *run.position->legend();
        EXPECT_FALSE(legend.isHidden());
        EXPECT_EQ(legend.entries(), SystemLegend(CountBySystem(view)));

        // The graph: a bar for each of the view's satellites, up to 32, used ones first.
        const std::vector<SkySatellite> ordered = OrderForGraph(view);
        ASSERT_EQ(run.bars().barCount, static_cast<int>(ordered.size()));
        for (size_t i = 0; i < ordered.size(); ++i) {
            const SignalBar& bar = run.bars().bars[i];
            EXPECT_EQ(std::tie(bar.system, bar.prn, bar.snr, bar.used),
                      std::make_tuple(std::optional(ordered[i].system), ordered[i].prn,
                                      ordered[i].snr, ordered[i].used ? 1 : 0))
                << "bar " << i << " " << ::testing::PrintToString(ordered[i]);
        }

        // What a screen reader hears: the count of each system and of its used satellites.
        std::vector<SkySatellite> drawn = SelectForPlot(view);
        std::erase_if(drawn, [](const SkySatellite& s) {
            return !SkyPlotState::Visible(s.prn, s.azimuth, s.elevation);
        });
        EXPECT_TRUE(
            AccessibleNameOf(&run.plot())
                .contains(QStringLiteral(" (%1): ").arg(SystemCountsText(CountBySystem(drawn)))))
            << AccessibleNameOf(&run.plot()).toStdString();
        EXPECT_TRUE(AccessibleNameOf(run.status->graph())
                        .startsWith(QStringLiteral("Signal quality: %1 bars (%2): ")
                                        .arg(ordered.size())
                                        .arg(SystemCountsText(CountBySystem(ordered)))))
            << AccessibleNameOf(run.status->graph()).toStdString();

        // What the second's updates left on the plot is what a whole repaint draws.
        EXPECT_EQ(RepaintedAfresh(run.plot()), run.plot().buffer());

        const auto shot = screenshots.find(name);
        if (shot != screenshots.end()) {
            ReplayedPages before(Feed::RecordOnly);
            before.Play(script);
            const std::string prefix = "pages-replay-" + shot->second;
            SaveScreenshot(before.Grab(before.status), prefix + "-gps-status-before");
            SaveScreenshot(run.Grab(run.status), prefix + "-gps-status-after");
            SaveScreenshot(before.Grab(before.position), prefix + "-position-before");
            SaveScreenshot(run.Grab(run.position), prefix + "-position-after");
        }
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

// The satellites of one system among those the displays hold.
int CountOf(GnssSystem system, const std::multiset<Shown>& shown) {
    return static_cast<int>(std::count_if(
        shown.begin(), shown.end(), [&](const Shown& s) { return std::get<0>(s) == system; }));
}

TEST(StatusPagesReplayTest, AConstellationThatStopsReportingLeavesThePlotAndTheGraphAfter3s) {
    HORALUX_REQUIRE_CAPTURES();
    const NmeaReplayScript script = Capture("telit-pls83-w.log");
    ASSERT_GE(script.burstCount(), 9u);
    // GLONASS falls silent from burst 4 on: its last group (at 3.1 s) stays one and two second
    // changes later, and is gone at the third (6.0 s, late in burst 5), from the view and from
    // both displays.
    ReplayedPages run(Feed::SkyView);
    for (size_t burst = 0; burst < script.burstCount(); ++burst) {
        SCOPED_TRACE("burst " + std::to_string(burst));
        std::string bytes = script.render(burst, utcSecondFromUnix(run.f.clock.nowMillis() / 1000));
        for (size_t at = bytes.find("$GL"); burst >= 4 && at != std::string::npos;
             at = bytes.find("$GL")) {
            bytes.erase(at, bytes.find('$', at + 1) - at);
        }
        run.PlayBurst(bytes);
        const bool present = burst < 5;
        ASSERT_EQ(CountOf(GnssSystem::Glonass, Expected(run.f.sky.Satellites())) > 0, present);
        const std::multiset<Shown> plot = OnThePlot(run.plot().state());
        EXPECT_EQ(CountOf(GnssSystem::Glonass, plot) > 0, present);
        EXPECT_GT(CountOf(GnssSystem::Gps, plot), 0);
        int glonassBars = 0;
        for (int i = 0; i < run.bars().barCount; ++i) {
            glonassBars += run.bars().bars[static_cast<size_t>(i)].system == GnssSystem::Glonass;
        }
        EXPECT_EQ(glonassBars > 0, present);
        EXPECT_EQ(run.bars().barCount,
                  static_cast<int>(OrderForGraph(run.f.sky.Satellites()).size()));
        EXPECT_EQ(run.position->legend()->entries().size(), present ? 4u : 3u);
    }
}

}  // namespace
}  // namespace horalux
