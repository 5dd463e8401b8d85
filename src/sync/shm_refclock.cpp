#include "sync/shm_refclock.h"

#include <atomic>

namespace horalux {

namespace {

// Release stores: a reader whose acquire load sees one of the fields also sees the count moved
// before it (the fences this would take otherwise are not supported by ThreadSanitizer).
template <class T>
void put(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_release);
}

template <class T>
T get(T& field) {
    return std::atomic_ref<T>(field).load(std::memory_order_relaxed);
}

// Seconds and nanoseconds of a time in nanoseconds since 1970, the nanoseconds in 0..999999999.
void split(int64_t ns, time_t& seconds, int& micros, unsigned& nanos) {
    int64_t s = ns / 1000000000;
    int64_t rest = ns % 1000000000;
    if (rest < 0) {
        rest += 1000000000;
        --s;
    }
    seconds = static_cast<time_t>(s);
    micros = static_cast<int>(rest / 1000);
    nanos = static_cast<unsigned>(rest);
}

}  // namespace

void ShmRefclockWriter::Write(const RefclockSample& sample) {
    ShmTime& t = *segment_;
    put(t.valid, 0);
    put(t.count, get(t.count) + 1);

    time_t seconds = 0;
    int micros = 0;
    unsigned nanos = 0;
    put(t.mode, 1);
    split(sample.referenceNs, seconds, micros, nanos);
    put(t.clockTimeStampSec, seconds);
    put(t.clockTimeStampUSec, micros);
    put(t.clockTimeStampNSec, nanos);
    split(sample.receiveNs, seconds, micros, nanos);
    put(t.receiveTimeStampSec, seconds);
    put(t.receiveTimeStampUSec, micros);
    put(t.receiveTimeStampNSec, nanos);
    put(t.leap, 0);
    put(t.precision, kPrecision);
    put(t.nsamples, 0);

    put(t.count, get(t.count) + 1);
    put(t.valid, 1);
}

bool ShmRefclockWriter::LastSampleTaken() const {
    return std::atomic_ref<int>(segment_->valid).load(std::memory_order_acquire) == 0;
}

}  // namespace horalux
