#include "displays/correction_plot_state.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "sync/update_outcome.h"

namespace horalux {

namespace {

constexpr int64_t kMinuteMs = 60LL * 1000;
constexpr int64_t kHourMs = 60 * kMinuteMs;
constexpr int kLatestInWords = 5;  // set updates the summary lists

const QString kMinus = QStringLiteral("\u2212");

// The largest decade the scale goes to: 10^18 ms, some 30 million years.
constexpr int kMostDecades = 18;

// 10, 100, 1000, ... ms up to `limit` (and 10^18).
std::vector<int64_t> Decades(int64_t limit) {
    std::vector<int64_t> decades;
    int64_t decade = 10;
    for (int k = 1; k <= kMostDecades && decade <= limit; ++k) {
        decades.push_back(decade);
        if (k < kMostDecades) {
            decade *= 10;
        }
    }
    return decades;
}

// The least decade from 10 ms on that holds `ms`, either sign (at most 10^18).
int64_t DecadeHolding(int64_t ms) {
    const double magnitude = std::fabs(static_cast<double>(ms));
    int64_t decade = 10;
    for (int k = 1; k < kMostDecades && static_cast<double>(decade) < magnitude; ++k) {
        decade *= 10;
    }
    return decade;
}

// The scale's own measure: linear within ±1 ms, then one unit per decade (10 ms is 2, 1 s is 4).
double Units(int64_t ms) {
    const double magnitude = std::fabs(static_cast<double>(ms));
    const double units = magnitude <= 1.0 ? magnitude : 1.0 + std::log10(magnitude);
    return ms < 0 ? -units : units;
}

int64_t FloorTo(int64_t value, int64_t step) {
    const int64_t q = value / step;
    return (value % step != 0 && value < 0 ? q - 1 : q) * step;
}

int64_t CeilTo(int64_t value, int64_t step) {
    return -FloorTo(-value, step);
}

QString Correction(int64_t ms) {
    return QString::fromStdString(FormatCorrection(ms));
}

QString UtcClock(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()).toString(QStringLiteral("HH:mm"));
}

}  // namespace

bool CorrectionPlotState::SetPoints(std::vector<CorrectionPoint> points) {
    if (points == points_) {
        return false;
    }
    const std::vector<CorrectionPoint> before = Visible();
    points_ = std::move(points);
    return Visible() != before;
}

bool CorrectionPlotState::SetNow(int64_t nowMs) {
    const int64_t before = endMs();
    const std::vector<CorrectionPoint> visible = Visible();
    endMs_ = nowMs;
    return endMs() != before || Visible() != visible;
}

bool CorrectionPlotState::SetRange(CorrectionRange range) {
    if (range == range_) {
        return false;
    }
    range_ = range;
    return true;
}

int64_t CorrectionPlotState::endMs() const {
    return CeilTo(endMs_, range_ == CorrectionRange::Day ? kMinuteMs : kHourMs);
}

std::vector<CorrectionPoint> CorrectionPlotState::Visible() const {
    const int64_t end = endMs();
    std::vector<CorrectionPoint> visible;
    for (const CorrectionPoint& p : points_) {
        if (p.timeMs > end - spanMs() && p.timeMs <= end) {
            visible.push_back(p);
        }
    }
    return visible;
}

std::vector<int64_t> CorrectionPlotState::Scale::Gridlines() const {
    std::vector<int64_t> lines;
    const std::vector<int64_t> below = Decades(-lowMs);
    for (auto d = below.rbegin(); d != below.rend(); ++d) {
        lines.push_back(-*d);
    }
    lines.push_back(0);
    for (int64_t d : Decades(highMs)) {
        lines.push_back(d);
    }
    return lines;
}

double CorrectionPlotState::Scale::Fraction(int64_t ms) const {
    const double low = Units(lowMs);
    const double high = Units(highMs);
    return (std::clamp(Units(ms), low, high) - low) / (high - low);
}

CorrectionPlotState::Scale CorrectionPlotState::VerticalScale() const {
    Scale scale{0, 0};
    for (const CorrectionPoint& p : Visible()) {
        if (p.set && p.correctionMs < 0) {
            scale.lowMs = std::min(scale.lowMs, -DecadeHolding(p.correctionMs));
        } else if (p.set && p.correctionMs > 0) {
            scale.highMs = std::max(scale.highMs, DecadeHolding(p.correctionMs));
        }
    }
    if (scale.lowMs == 0 && scale.highMs == 0) {
        scale.highMs = 10;  // nothing moved: a small scale above 0
    }
    return scale;
}

QString CorrectionPlotState::AxisLabel(int64_t ms) {
    if (ms == 0) {
        return QStringLiteral("0");
    }
    const QString sign = ms < 0 ? kMinus : QStringLiteral("+");
    const int64_t magnitude = std::llabs(ms);
    if (magnitude < 1000) {
        return sign + QString::number(magnitude) + QStringLiteral(" ms");
    }
    const QString seconds = magnitude % 1000 == 0
                                ? QString::number(magnitude / 1000)
                                : QString::number(static_cast<double>(magnitude) / 1000.0, 'g', 6);
    return sign + seconds + QStringLiteral(" s");
}

CorrectionPlotState::Picture CorrectionPlotState::Layout(
    int width, int height, int textHeight,
    const std::function<int(const QString&)>& textWidth) const {
    Picture picture;
    const int top = textHeight / 2 + 1;
    const int bottom = height - 1 - textHeight - 3;
    const Scale scale = VerticalScale();
    const auto row = [&](int64_t ms) {
        return bottom - static_cast<int>(std::lround(scale.Fraction(ms) * (bottom - top)));
    };
    // A gridline each; a label where it keeps clear of the labels already placed, which are 0,
    // the ends, then the others from 0 outwards. Digits stand clear of each other at three
    // quarters of a line's height.
    const std::vector<int64_t> lines = scale.Gridlines();
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const auto priority = [&](size_t i) {
        return lines[i] == 0 ? 0 : i == 0 || i + 1 == lines.size() ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int pa = priority(a);
        const int pb = priority(b);
        return pa != pb ? pa < pb
                        : std::abs(row(lines[a]) - row(0)) < std::abs(row(lines[b]) - row(0));
    });
    const int labelGap = std::max(1, textHeight * 3 / 4);
    picture.correctionTicks.resize(lines.size());
    std::vector<int> labelled;
    int labelWidth = 0;
    for (size_t i : order) {
        const int r = row(lines[i]);
        picture.correctionTicks[i].position = r;
        if (std::all_of(labelled.begin(), labelled.end(),
                        [&](int other) { return std::abs(other - r) >= labelGap; })) {
            labelled.push_back(r);
            picture.correctionTicks[i].text = AxisLabel(lines[i]);
            labelWidth = std::max(labelWidth, textWidth(picture.correctionTicks[i].text));
        }
    }
    const QString nowLabel = QStringLiteral("now");
    const int left = labelWidth + 6;
    const int right = width - 1 - std::max(4, textWidth(nowLabel) / 2 + 1);
    if (right - left < 8 || bottom - top < 8) {
        return Picture{};  // too small to draw anything
    }
    picture.plot = QRect(QPoint(left, top), QPoint(right, bottom));

    const int64_t start = endMs() - spanMs();
    const auto column = [&](int64_t ms) {
        return left + static_cast<int>(std::lround(static_cast<double>(ms - start) *
                                                   (right - left) / static_cast<double>(spanMs())));
    };
    picture.zeroRow = row(0);
    const bool day = range_ == CorrectionRange::Day;
    const int ticks = day ? 4 : 5;  // every 6 hours, every 6 days
    for (int i = 0; i <= ticks; ++i) {
        const int64_t before = spanMs() / ticks * (ticks - i);
        const QString text = i == ticks
                                 ? nowLabel
                                 : kMinus + QString::number(before / (day ? kHourMs : kDayMs)) +
                                       (day ? QStringLiteral(" h") : QStringLiteral(" d"));
        picture.timeTicks.push_back({column(endMs() - before), text});
    }
    const std::vector<CorrectionPoint> visible = Visible();
    for (const CorrectionPoint& p : visible) {
        if (p.set) {
            picture.stems.emplace_back(column(p.timeMs), row(p.correctionMs));
        } else {
            picture.misses.push_back(column(p.timeMs));
        }
    }
    if (visible.empty()) {
        picture.empty = day ? QStringLiteral("No clock updates in the last 24 hours")
                            : QStringLiteral("No clock updates in the last 30 days");
    }
    return picture;
}

QString CorrectionPlotState::Summary() const {
    const bool day = range_ == CorrectionRange::Day;
    QString text = day ? QStringLiteral("Clock corrections in the last 24 hours: ")
                       : QStringLiteral("Clock corrections in the last 30 days: ");
    const std::vector<CorrectionPoint> visible = Visible();
    std::vector<CorrectionPoint> set;
    for (const CorrectionPoint& p : visible) {
        if (p.set) {
            set.push_back(p);
        }
    }
    if (visible.empty()) {
        return text + QStringLiteral("no updates.");
    }
    const int missed = static_cast<int>(visible.size() - set.size());
    text += QString::number(visible.size()) +
            (visible.size() == 1 ? QStringLiteral(" update, ") : QStringLiteral(" updates, ")) +
            QString::number(set.size()) + QStringLiteral(" set, ") +
            (missed == 0 ? QStringLiteral("none") : QString::number(missed)) +
            QStringLiteral(" not set");
    if (set.empty()) {
        return text + QStringLiteral(".");
    }
    const auto [least, most] = std::minmax_element(
        set.begin(), set.end(), [](const CorrectionPoint& a, const CorrectionPoint& b) {
            return a.correctionMs < b.correctionMs;
        });
    text += QStringLiteral("; from ") + Correction(least->correctionMs) + QStringLiteral(" to ") +
            Correction(most->correctionMs) + QStringLiteral("; the latest: ");
    const size_t first = set.size() > kLatestInWords ? set.size() - kLatestInWords : 0;
    for (size_t i = set.size(); i-- > first;) {
        text += Correction(set[i].correctionMs) + QStringLiteral(" at ") + UtcClock(set[i].timeMs) +
                (i > first ? QStringLiteral(", ") : QStringLiteral(" UTC."));
    }
    return text;
}

}  // namespace horalux
