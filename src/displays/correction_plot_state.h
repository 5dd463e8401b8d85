#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace horalux {

// One clock update as the correction plot sees it.
struct CorrectionPoint {
    int64_t timeMs = 0;        // UTC milliseconds since 1970
    bool set = false;          // the update set the clock
    int64_t correctionMs = 0;  // when set: new minus old PC time

    friend bool operator==(const CorrectionPoint&, const CorrectionPoint&) = default;
};

// The span of time the plot shows, ending now.
enum class CorrectionRange { Day, Month };

// The correction plot's decisions: which updates lie in the range, the scale, where each stem,
// tick and label goes, and the plot in words. The window's end moves with the clock in steps
// (a minute for the day, an hour for the month), so a host that feeds the time every second
// changes the picture, and repaints, only when something would move.
class CorrectionPlotState {
  public:
    static constexpr int64_t kDayMs = 24LL * 3600 * 1000;
    static constexpr int64_t kMonthMs = 30 * kDayMs;

    // Each returns whether the picture changed.
    bool SetPoints(std::vector<CorrectionPoint> points);
    bool SetNow(int64_t nowMs);
    bool SetRange(CorrectionRange range);

    CorrectionRange range() const { return range_; }
    int64_t spanMs() const { return range_ == CorrectionRange::Day ? kDayMs : kMonthMs; }
    // The window's end: now, rounded up to the range's step.
    int64_t endMs() const;

    // The vertical scale. Corrections span decades: the first update after a start typically
    // moves the clock by seconds, the following ones by milliseconds, and on a linear scale the
    // small ones would lie flat on the zero line. So the scale is linear within ±1 ms and
    // logarithmic beyond, each decade the same height: 0, ±10 ms, ±100 ms, ±1 s, ±10 s, ... It
    // ends on each side at the decade that holds the largest correction there (0 on a side with
    // none, +10 ms when nothing was set).
    struct Scale {
        int64_t lowMs = 0;    // 0 or −10^k ms
        int64_t highMs = 10;  // 0 or +10^k ms
        friend bool operator==(const Scale&, const Scale&) = default;

        // The grid, from low to high: 0 and each decade from ±10 ms on.
        std::vector<int64_t> Gridlines() const;
        // Where `ms` lies from low (0) to high (1); monotonic, clamped to the scale's ends.
        double Fraction(int64_t ms) const;
    };
    Scale VerticalScale() const;

    struct Tick {
        int position = 0;  // pixel row (vertical axis) or column (time axis)
        QString text;
    };
    // What one paint draws, in client pixels.
    struct Picture {
        QRect plot;  // the area inside the axes
        int zeroRow = 0;
        // Left of the plot, a grid line each; labels that would crowd their neighbours are left
        // empty (0 and the ends first).
        std::vector<Tick> correctionTicks;
        std::vector<Tick> timeTicks;  // under the plot: "−24 h" ... "now"
        std::vector<QPoint> stems;    // set updates: from zeroRow to the point
        std::vector<int> misses;      // columns of updates that left the clock alone
        QString empty;                // said in the plot when no update lies in the range
    };
    // `textWidth` measures a label in the plot's font.
    Picture Layout(int width, int height, int textHeight,
                   const std::function<int(const QString&)>& textWidth) const;

    // For a screen reader: "Clock corrections in the last 24 hours: 4 updates, 4 set, none
    // missed; from +20 ms to +2.500 s; the latest: +2.500 s at 14:02, +20 ms at 14:02, ... UTC."
    QString Summary() const;

    // A scale label: "0", "+20 ms", "−500 ms", "+2.5 s", "+1000 s".
    static QString AxisLabel(int64_t ms);

  private:
    // The updates in the window, oldest first.
    std::vector<CorrectionPoint> Visible() const;

    std::vector<CorrectionPoint> points_;
    int64_t endMs_ = 0;
    CorrectionRange range_ = CorrectionRange::Day;
};

}  // namespace horalux
