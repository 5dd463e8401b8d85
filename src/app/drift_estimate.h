#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sync/update_outcome.h"

namespace horalux {

// The PC clock's rate against the reference, from the updates that set it.
//
// Between two settings the clock runs free, so the correction of the later one is what it
// drifted in between: rate = -correction / time between them (a clock that gains needs negative
// corrections). The estimate is the total correction over the total time of the intervals of the
// window, which averages the settings' own errors away (they cancel from one interval to the
// next). An interval whose correction lies far from what the median rate predicts (a wrong
// second from a receiver, a clock set by someone else, a machine that was off or asleep) is left
// out: its residual must stay within kOutlierSpread times the spread of all residuals, or
// kOutlierFloorMs, whichever is larger. The first setting's correction is the error the clock had
// when the record began, not drift, and starts no interval before it.
struct DriftEstimate {
    double ppm = 0.0;    // positive when the PC clock gains
    int intervals = 0;   // intervals that went into it
    int64_t spanMs = 0;  // their total time
    double secondsPerDay() const { return ppm * 86400.0 / 1e6; }
};

inline constexpr int64_t kDriftWindowMs = 30LL * 24 * 3600 * 1000;  // set updates looked at
inline constexpr double kOutlierSpread = 5.0;
inline constexpr double kOutlierFloorMs = 50.0;

// From the updates (oldest first) that set the clock within kDriftWindowMs before nowMs; nothing
// until two of them allow an estimate.
std::optional<DriftEstimate> EstimateDrift(const std::vector<UpdateOutcome>& updates,
                                           int64_t nowMs);

// "−12.4 ppm (−1.07 s a day)", with a real minus sign.
std::string FormatDrift(const DriftEstimate& drift);

}  // namespace horalux
