#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QScreen>
#include <QWidget>
#include <functional>
#include <string>

#include "support/test_dirs.h"

namespace horalux::test {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
  public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Processes events until `done` holds or the time is up; returns whether it held.
inline bool processUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets pending updates and timers of zero delay run.
inline void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

// What the window system holds for a top-level widget: its backing store, not a fresh render.
inline QImage onScreen(QWidget& window) {
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Saves a picture under <build>/screenshots/<name>.png; returns the path.
inline std::string saveScreenshot(const QImage& image, const std::string& name) {
    const auto dir = buildDir() / "screenshots";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / (name + ".png")).string();
    image.save(QString::fromStdString(path));
    return path;
}

}  // namespace horalux::test
