#include "sync/delay_statistics.h"

#include <algorithm>
#include <cmath>

namespace horalux {

namespace {

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

std::optional<DelayFigures> DelayFiguresOf(std::vector<double> samplesMs) {
    if (samplesMs.empty()) {
        return std::nullopt;
    }
    const double median = medianOf(samplesMs);
    std::vector<double> deviations;
    for (const double s : samplesMs) {
        deviations.push_back(std::abs(s - median));
    }
    const double limit = std::max(kOutlierFloorMs, 4.0 * 1.4826 * medianOf(deviations));
    std::vector<double> kept;
    for (const double s : samplesMs) {
        if (std::abs(s - median) <= limit) {
            kept.push_back(s);
        }
    }
    double mean = 0.0;
    for (const double s : kept) {
        mean += s;
    }
    mean /= static_cast<double>(kept.size());
    double squares = 0.0;
    for (const double s : kept) {
        squares += (s - mean) * (s - mean);
    }
    const double spread =
        kept.size() > 1 ? std::sqrt(squares / static_cast<double>(kept.size() - 1)) : 0.0;
    DelayFigures figures;
    figures.medianMs = static_cast<int>(std::lround(medianOf(kept)));
    figures.spreadMs = static_cast<int>(std::lround(spread));
    figures.samples = static_cast<int>(kept.size());
    figures.outliers = static_cast<int>(samplesMs.size() - kept.size());
    return figures;
}

std::optional<SntpResult> BestSntpSample(const std::vector<SntpResult>& samples) {
    const auto best = std::min_element(samples.begin(), samples.end(),
                                       [](const SntpResult& a, const SntpResult& b) {
                                           return RoundTripSeconds(a) < RoundTripSeconds(b);
                                       });
    if (best == samples.end()) {
        return std::nullopt;
    }
    return *best;
}

}  // namespace horalux
