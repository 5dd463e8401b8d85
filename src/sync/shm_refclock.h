#pragma once

#include <cstdint>
#include <ctime>

namespace horalux {

// The shared-memory reference clock segment that chronyd ("refclock SHM N") and ntpd (driver 28)
// read: one sample at a time, the reference's time and the system clock's time at which it was
// received. The layout is theirs, field for field (96 bytes on 64-bit Linux).
struct ShmTime {
    int mode;   // 1: the reader checks that count is the same before and after its copy
    int count;  // moved by the writer before and after it writes the sample
    time_t clockTimeStampSec;  // the reference's time
    int clockTimeStampUSec;
    time_t receiveTimeStampSec;  // the system clock when the reference's time arrived
    int receiveTimeStampUSec;
    int leap;       // 0: no leap second announced
    int precision;  // log2 of the sample's precision in seconds
    int nsamples;
    int valid;  // 1: a sample waits; the reader sets 0 once it has taken it
    unsigned clockTimeStampNSec;
    unsigned receiveTimeStampNSec;
    int dummy[8];
};
static_assert(sizeof(ShmTime) == 96, "the readers' layout");

// The segment of unit N has the System V key "NTP0" + N.
constexpr int ShmRefclockKey(int unit) {
    return 0x4e545030 + unit;
}

// One sample: nanoseconds since 1970 (UTC) on the reference's clock and on the system clock.
struct RefclockSample {
    int64_t referenceNs = 0;
    int64_t receiveNs = 0;
};

// Writes samples into a segment with the count/valid protocol of mode 1, so that a reader never
// takes a torn sample: valid goes to 0 and count moves before the fields change; count moves
// again and valid goes to 1 once they are all written. A reader that copied the fields while
// they changed sees count differ after its copy (or valid 0 before it) and drops them.
//
// Every access to the segment is atomic (the other side is another process), each store a release,
// so that a reader's acquire loads see the fields of the count they read, or a count that moved.
class ShmRefclockWriter {
  public:
    // Log2 of the precision announced: about a millisecond, what a serial line's time gives.
    static constexpr int kPrecision = -10;

    explicit ShmRefclockWriter(ShmTime* segment) : segment_(segment) {}

    void Write(const RefclockSample& sample);
    // Whether a reader has taken the last sample written (valid is back at 0).
    bool LastSampleTaken() const;

  private:
    ShmTime* segment_;
};

}  // namespace horalux
