#include "app/drift_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace horalux {

namespace {

struct Interval {
    double correctionMs;
    double lengthMs;
};

double Median(std::vector<double> values) {
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(middle), values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) {
        return upper;
    }
    return (*std::max_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(middle)) +
            upper) /
           2.0;
}

std::string Signed(double value, const char* format) {
    char digits[32];
    std::snprintf(digits, sizeof digits, format, std::fabs(value));
    // Zero as printed has no sign.
    const bool zero = std::string(digits).find_first_not_of("0.") == std::string::npos;
    return (zero ? "" : value < 0 ? "\u2212" : "+") + std::string(digits);
}

}  // namespace

std::optional<DriftEstimate> EstimateDrift(const std::vector<UpdateOutcome>& updates,
                                           int64_t nowMs) {
    std::vector<Interval> intervals;
    std::optional<int64_t> previous;
    for (const UpdateOutcome& u : updates) {
        if (u.result != UpdateResult::Set || !u.correctionMs || u.timeMs < nowMs - kDriftWindowMs ||
            u.timeMs > nowMs) {
            continue;
        }
        if (previous && u.timeMs > *previous) {
            intervals.push_back(
                {static_cast<double>(*u.correctionMs), static_cast<double>(u.timeMs - *previous)});
        }
        previous = u.timeMs;
    }
    if (intervals.empty()) {
        return std::nullopt;
    }

    std::vector<double> rates;
    for (const Interval& i : intervals) {
        rates.push_back(i.correctionMs / i.lengthMs);
    }
    const double rate = Median(rates);
    std::vector<double> residuals;
    for (const Interval& i : intervals) {
        residuals.push_back(std::fabs(i.correctionMs - rate * i.lengthMs));
    }
    const double limit = std::max(kOutlierSpread * 1.4826 * Median(residuals), kOutlierFloorMs);

    double correction = 0.0;
    double length = 0.0;
    DriftEstimate drift;
    for (size_t k = 0; k < intervals.size(); ++k) {
        if (residuals[k] <= limit) {
            correction += intervals[k].correctionMs;
            length += intervals[k].lengthMs;
            ++drift.intervals;
        }
    }
    drift.spanMs = static_cast<int64_t>(length);
    drift.ppm = -correction / length * 1e6;
    return drift;
}

std::string FormatDrift(const DriftEstimate& drift) {
    return Signed(drift.ppm, "%.1f") + " ppm (" + Signed(drift.secondsPerDay(), "%.2f") +
           " s a day)";
}

}  // namespace horalux
