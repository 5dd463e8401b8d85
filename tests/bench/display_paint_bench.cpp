// Times one repaint of the status displays, offscreen, as the median of N single repaints:
//   display_paint_bench [N]     (default 1000)
// The signal graph at the GPS status page's size, as its host repaints it on a new GSV sentence
// (no erase) and after a change of the bar count (erasing); the sky plot at the Position page's
// size, repainted whole (grid and every marker) and updated after one satellite has moved (that
// marker removed and drawn again, the changed area shown). Each with 12 GPS satellites as the
// record gives them, and with 38 of four systems as the sky view gives them (32 bars, labelled
// with their systems' letters; the plot's labels placed around their icons). The correction plot at
// the Update PC Clock page's size with a full record (1000 updates over 30 days), over each range.
// Not a test: run it by hand.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "../displays/position_page_plot.h"
#include "displays/correction_plot.h"
#include "displays/signal_quality_graph.h"
#include "displays/sky_plot.h"
#include "ui/dialog_units.h"

namespace {

using namespace horalux;

double MedianMicros(int n, const std::function<void()>& call) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The systems of a multi-constellation sky, and the numbers they send.
constexpr GnssSystem kSystems[4] = {GnssSystem::Gps, GnssSystem::Glonass, GnssSystem::Galileo,
                                    GnssSystem::BeiDou};
constexpr int kFirstNumber[4] = {1, 65, 1, 1};

void SignalGraph(int n, int satellites) {
    SignalQualityGraph graph;
    graph.resize(dialogRect(7, 44, 336, 78).size());
    const int snrs[12] = {45, 41, 39, 44, 30, 0, 35, 38, 42, 28, 0, 33};
    const bool systems = satellites > 12;
    const int bars = std::min(satellites, 32);
    for (int i = 0; i < bars; ++i) {
        SignalBar& bar = graph.state().bars[static_cast<size_t>(i)];
        bar = {i * 2 + 1, snrs[i % 12], i % 3 == 0 ? 0 : 1};
        if (systems) {
            bar.system = kSystems[i % 4];
            bar.prn = kFirstNumber[i % 4] + i / 4;
        }
    }
    graph.state().SetBarCount(bars);
    graph.show();
    QApplication::processEvents();
    const double quiet = MedianMicros(n, [&] {
        graph.invalidate(false);
        graph.repaint();
    });
    const double erasing = MedianMicros(n, [&] {
        graph.invalidate(true);
        graph.repaint();
    });
    std::printf("signal graph %d x %d, %d bars%s: repaint %.1f us, erasing repaint %.1f us\n",
                graph.width(), graph.height(), bars, systems ? " of 4 systems" : "", quiet,
                erasing);
}

void SkyPlotRepaints(int n, int satellites) {
    SkyPlot plot;
    SetUpAsOnThePositionPage(plot, dialogRect(205, 7, 139, 115).size());
    const bool systems = satellites > 12;
    for (int i = 0; i < std::min(satellites, 40); ++i) {
        SatelliteSlot& s = plot.slot(i);
        s = {i * 3 + 2, (15 + i * 29) % 360, 8 + (i * 37) % 80, i % 4 == 0 ? 0 : 1, 0, 0, 40};
        if (systems) {
            s.system = kSystems[i % 4];
            s.prn = kFirstNumber[i % 4] + i / 4;
        }
    }
    plot.show();
    QApplication::processEvents();
    plot.UpdateMarkers();
    plot.repaint();

    const double whole = MedianMicros(n, [&] {
        plot.SetGridTextColor(0x808080);  // any setter: the next paint draws everything
        plot.repaint();
    });
    int elevation = plot.slot(5).elevation;
    const double oneMoved = MedianMicros(n, [&] {
        elevation = elevation == 40 ? 41 : 40;
        plot.slot(5).elevation = elevation;
        plot.UpdateMarkers();
        plot.repaint();  // shows the changed area (a whole repaint would show everything)
    });
    const double intoBuffer = MedianMicros(n, [&] {
        elevation = elevation == 40 ? 41 : 40;
        plot.slot(5).elevation = elevation;
        plot.UpdateMarkers();
    });
    plot.repaint();
    std::printf(
        "sky plot %d x %d, %d satellites%s: whole repaint %.1f us; one satellite moved %.1f us "
        "(%d markers drawn: %.1f us into the buffer, the rest showing it), %.3f of a whole "
        "repaint\n",
        plot.width(), plot.height(), satellites, systems ? " of 4 systems" : "", whole, oneMoved,
        plot.markersLastUpdate(), intoBuffer, oneMoved / whole);
}

void CorrectionPlotRepaints(int n) {
    CorrectionPlot plot;
    plot.resize(dialogRect(7, 125, 336, 73).size());
    const int64_t now = 1714572000000;
    std::vector<CorrectionPoint> points;
    for (int i = 999; i >= 0; --i) {
        const bool set = i % 10 != 3;
        points.push_back({now - i * (30LL * 24 * 3600 * 1000 / 1000), set, set ? -40 + i % 7 : 0});
    }
    plot.SetContents(points, now);
    plot.show();
    QApplication::processEvents();
    for (const CorrectionRange range : {CorrectionRange::Day, CorrectionRange::Month}) {
        plot.SetRange(range);
        const double repaint = MedianMicros(n, [&] { plot.repaint(); });
        std::printf("correction plot %d x %d, 1000 updates, %s: repaint %.1f us\n", plot.width(),
                    plot.height(), range == CorrectionRange::Day ? "last 24 hours" : "last 30 days",
                    repaint);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    for (const int satellites : {12, 38}) {
        SignalGraph(n, satellites);
        SkyPlotRepaints(n, satellites);
    }
    CorrectionPlotRepaints(n);
    return 0;
}
