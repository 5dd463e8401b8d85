// Measures how long one repaint of the seven-segment display takes, offscreen:
//   clock_paint_bench [repeats]
// For each size it times the repaint the display's timer makes on a new second (no erase),
// an erasing repaint, and the drawing alone into an image. Not a test: run it by hand.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "clock/clock_window_logic.h"
#include "clock/painter_surface.h"
#include "clock/segment_clock_display.h"
#include "platform/fake_system_clock.h"

namespace {

using namespace horalux;

// Median time per call in microseconds over `rounds` rounds of `repeats` calls.
template <typename F>
double medianMicros(int repeats, F call) {
    std::vector<double> rounds;
    for (int r = 0; r < 7; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < repeats; ++i) {
            call();
        }
        rounds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0 / repeats);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

void measure(const char* label, int windowWidth, int windowHeight, int32_t dayOfYear, int repeats) {
    FakeSystemClock clock({2024, 12, 0, 31, 13, 5, 9, 0});
    SegmentClockDisplay display(clock);
    const int border = ClockWindowLogic::kBorder;
    const int width = windowWidth - 2 * border;
    const int height = windowHeight - 2 * border;
    display.state().dayOfYear = dayOfYear;
    display.state().thickness = ClockWindowLogic::ThicknessFor(width, dayOfYear);
    display.resize(width, height);
    display.show();
    QApplication::processEvents();
    display.tick();
    QApplication::processEvents();

    const double quiet = medianMicros(repeats, [&] {
        display.invalidate(false);
        display.repaint();
    });
    const double erasing = medianMicros(repeats, [&] {
        display.invalidate(true);
        display.repaint();
    });
    QImage image(width, height, QImage::Format_RGB32);
    const double drawOnly = medianMicros(repeats, [&] {
        QPainter painter(&image);
        PainterSurface surface(painter);
        display.state().Draw(surface, width, height);
    });
    std::printf(
        "%-28s client %4d x %3d  t %2d  repaint %7.1f us  erasing %7.1f us  "
        "drawing only %7.1f us\n",
        label, width, height, display.state().thickness, quiet, erasing, drawOnly);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    measure("300 x 100", 300, 100, 0, repeats);
    measure("300 x 100, day of year", 300, 100, 1, repeats);
    measure("1920 x 120", 1920, 120, 0, repeats);
    measure("1920 x 120, day of year", 1920, 120, 1, repeats);
    return 0;
}
