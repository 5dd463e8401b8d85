#include "displays/signal_quality_state.h"

#include <QStringList>
#include <algorithm>

#include "displays/system_legend.h"
#include "gps/sky_view.h"

namespace horalux {

bool SignalQualityState::SetBarCount(int32_t count) {
    if (count <= 0) {
        return false;
    }
    const int32_t bounded = std::min<int32_t>(count, kMaxBars);
    const bool changed = bounded != barCount;
    barCount = bounded;
    return changed;
}

void SignalQualityState::ResetExtremes() {
    seenMax = kNoMax;
    seenMin = kNoMin;
}

int SignalQualityState::FilledHeight(int fullHeight, int32_t scaleMax, int32_t scaleMin,
                                     int32_t snr) {
    if (fullHeight <= 0) {
        return 0;
    }
    if (scaleMax == scaleMin) {
        return snr >= scaleMax ? fullHeight : 0;
    }
    int64_t v = snr;
    if (v > scaleMax) {
        v = scaleMax;
    }
    if (v < scaleMin) {
        v = scaleMin;
    }
    const double span = static_cast<double>(scaleMax) - static_cast<double>(scaleMin);
    const double h = (fullHeight / span) * (static_cast<double>(v) - scaleMin);
    return std::clamp(static_cast<int>(h), 0, fullHeight);
}

int SignalQualityState::Pitch(int width) const {
    const int n = std::min<int32_t>(barCount, kMaxBars);
    return n > 0 ? (width - 2) / n : 0;
}

int SignalQualityState::LabelRows(int pitch, int widestLabel) {
    return widestLabel > 0 && widestLabel + 2 > pitch ? 2 : 1;
}

QString SignalQualityState::Label(const SignalBar& bar) {
    return bar.system ? QString::fromStdString(SatelliteLabel(*bar.system, bar.prn))
                      : QString::number(bar.prn);
}

int SignalQualityState::ValuePixelSize(int pitch, int pixelSize,
                                       const std::function<int(int)>& widthAt) {
    int size = pixelSize;
    while (size > kSmallestValuePixels && widthAt(size) > pitch - 4) {
        --size;
    }
    return size;
}

std::vector<SignalQualityState::Rows> SignalQualityState::Paint(int width, int height,
                                                                int textHeight, int widestLabel) {
    std::vector<Rows> rows;
    const int n = std::min<int32_t>(barCount, kMaxBars);
    if (n <= 0) {
        return rows;
    }
    const int pitch = Pitch(width);
    const int labelRows = LabelRows(pitch, widestLabel);
    // The bars stand on the first row of labels; a second row takes a line from them.
    const int hc = height - (labelRows - 1) * textHeight;
    const int fullHeight = hc - 15;
    for (int i = 0; i < n; ++i) {
        const SignalBar& bar = bars[static_cast<size_t>(i)];
        const int x = i * pitch;
        const int h = FilledHeight(fullHeight, scaleMax, scaleMin, bar.snr);
        Rows r;
        r.frame = QRect(QPoint(2 + x, 2), QPoint(x + pitch - 1, hc - 12));
        r.upper = QRect(QPoint(3 + x, 3), QPoint(x + pitch - 2, hc - 13 - h));
        r.filled = QRect(QPoint(3 + x, hc - 12 - h), QPoint(x + pitch - 2, hc - 14));
        r.used = bar.used == 1;
        r.filledHeight = h;
        r.value = QString::asprintf("  %02d  ", bar.snr);
        r.valueBox = QRect(QPoint(3 + x, hc - 12 - h), QPoint(x + pitch - 1, hc - 13));
        if (labelRows == 1) {
            r.prnBox = QRect(QPoint(1 + x, hc - 10), QPoint(x + pitch, hc - 13 + textHeight));
        } else {
            // Twice the pitch, centred on the bar (those of a row meet edge to edge), and kept
            // within the client area, so that the first label is not cut off.
            const int down = (i % 2) * textHeight;
            r.prnBox = QRect(QPoint(1 + x - pitch / 2, hc - 10 + down),
                             QPoint(x + 2 * pitch - pitch / 2, hc - 13 + textHeight + down)) &
                       QRect(0, 0, width, height);
        }
        r.prn = Label(bar);
        rows.push_back(r);

        if (bar.snr != 0 && bar.snr > seenMax) {
            seenMax = bar.snr;
        }
        if (bar.snr != 0 && bar.snr < seenMin) {
            seenMin = bar.snr;
        }
        scaleMax = seenMax;
        scaleMin = seenMin;
    }
    return rows;
}

QString SignalQualityState::Summary() const {
    QStringList parts;
    std::vector<SkySatellite> withSystem;
    const int n = std::clamp<int32_t>(barCount, 0, kMaxBars);
    for (int i = 0; i < n; ++i) {
        const SignalBar& bar = bars[static_cast<size_t>(i)];
        QString part = Label(bar) + u' ';
        part += bar.snr == 0 ? QStringLiteral("no signal") : QStringLiteral("%1 dB").arg(bar.snr);
        if (bar.used == 1) {
            part += QStringLiteral(" used");
        }
        parts << part;
        if (bar.system && bar.prn != 0) {
            withSystem.push_back({*bar.system, bar.prn, 0, 0, bar.snr, bar.used == 1});
        }
    }
    const QString systems =
        withSystem.empty()
            ? QString()
            : QStringLiteral(" (%1)").arg(SystemCountsText(CountBySystem(withSystem)));
    return QStringLiteral("%1 bar%2%3: ")
               .arg(n)
               .arg(n == 1 ? QString() : QStringLiteral("s"))
               .arg(systems) +
           parts.join(QStringLiteral("; "));
}

}  // namespace horalux
