#pragma once

#include <optional>
#include <vector>

#include "sync/sntp_client.h"

namespace horalux {

// What a delay measurement found: how late the receiver's time sentences arrive after the second
// they name.
struct DelayFigures {
    int medianMs = 0;  // the typical delay: what "GPSTimeDelay" should be
    int spreadMs = 0;  // the standard deviation of the samples kept, rounded
    int samples = 0;   // the samples kept
    int outliers = 0;  // the samples left out (sentences held up on the way)
    bool operator==(const DelayFigures&) const = default;
};

// The figures of a set of delays in ms. A sentence held up on its way (a busy machine, a reader
// woken late) arrives later than the others: samples farther from the median than four times the
// samples' robust deviation (1.4826 times the median absolute deviation), and at least
// kOutlierFloorMs, are left out, and the median and spread are taken of the rest. Empty without
// samples.
inline constexpr double kOutlierFloorMs = 10.0;
std::optional<DelayFigures> DelayFiguresOf(std::vector<double> samplesMs);

// Of several exchanges with a time server, the one whose offset is trusted: the one with the
// least round trip, whose offset the network's asymmetry can spoil least. Empty when there are
// none. Each exchange is itself the best of the SNTP client's requests; over a measurement the
// least round trip of them all wins.
std::optional<SntpResult> BestSntpSample(const std::vector<SntpResult>& samples);

}  // namespace horalux
