#include "displays/correction_plot_state.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

#include "sync/update_outcome.h"

namespace horalux {

namespace {

constexpr int64_t kMinuteMs = 60LL * 1000;
constexpr int64_t kHourMs = 60 * kMinuteMs;
constexpr int kLatestInWords = 5;  // set updates the summary lists

const QString kMinus = QStringLiteral("\u2212");

// 1, 2 or 5 times a power of ten, at least `raw`.
int64_t NiceStep(double raw) {
    double power = 1.0;
    while (power * 10.0 <= raw) {
        power *= 10.0;
    }
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= raw) {
            return std::max<int64_t>(1, static_cast<int64_t>(factor * power));
        }
    }
    return static_cast<int64_t>(10.0 * power);
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

CorrectionPlotState::Scale CorrectionPlotState::VerticalScale() const {
    int64_t low = 0;
    int64_t high = 0;
    for (const CorrectionPoint& p : Visible()) {
        if (p.set) {
            low = std::min(low, p.correctionMs);
            high = std::max(high, p.correctionMs);
        }
    }
    if (low == high) {
        high = 10;  // nothing set: a small scale around 0
    }
    Scale scale;
    scale.stepMs = NiceStep(static_cast<double>(high - low) / 4.0);
    scale.lowMs = FloorTo(low, scale.stepMs);
    scale.highMs = CeilTo(high, scale.stepMs);
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
    return sign + QString::number(static_cast<double>(magnitude) / 1000.0, 'g', 6) +
           QStringLiteral(" s");
}

CorrectionPlotState::Picture CorrectionPlotState::Layout(
    int width, int height, int textHeight,
    const std::function<int(const QString&)>& textWidth) const {
    Picture picture;
    const Scale scale = VerticalScale();
    int labelWidth = 0;
    for (int64_t v = scale.lowMs; v <= scale.highMs; v += scale.stepMs) {
        labelWidth = std::max(labelWidth, textWidth(AxisLabel(v)));
    }
    const QString nowLabel = QStringLiteral("now");
    const int left = labelWidth + 6;
    const int right = width - 1 - std::max(4, textWidth(nowLabel) / 2 + 1);
    const int top = textHeight / 2 + 1;
    const int bottom = height - 1 - textHeight - 3;
    if (right - left < 8 || bottom - top < 8) {
        return picture;  // too small to draw anything
    }
    picture.plot = QRect(QPoint(left, top), QPoint(right, bottom));

    const double rows = bottom - top;
    const auto row = [&](int64_t ms) {
        return bottom -
               static_cast<int>(std::lround(static_cast<double>(ms - scale.lowMs) * rows /
                                            static_cast<double>(scale.highMs - scale.lowMs)));
    };
    const int64_t start = endMs() - spanMs();
    const auto column = [&](int64_t ms) {
        return left + static_cast<int>(std::lround(static_cast<double>(ms - start) *
                                                   (right - left) / static_cast<double>(spanMs())));
    };
    picture.zeroRow = row(0);
    for (int64_t v = scale.lowMs; v <= scale.highMs; v += scale.stepMs) {
        picture.correctionTicks.push_back({row(v), AxisLabel(v)});
    }
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
