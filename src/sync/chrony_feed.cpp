#include "sync/chrony_feed.h"

#include "app/settings_keys.h"
#include "sync/gps_clock_setter.h"
#include "sync/time_lock.h"

namespace horalux {

std::unique_ptr<SharedMemory> ChronyFeed::OpenSysvSegment(int key, std::string* error) {
    return SysvSharedMemory::Open(key, sizeof(ShmTime), 0600, error);
}

ChronyFeed::ChronyFeed(const SettingsStore& store, const RuntimeSettings& runtime,
                       const GpsState& gps, Opener opener)
    : store_(store), runtime_(runtime), gps_(gps), opener_(std::move(opener)) {}

bool ChronyFeed::Follow() {
    const bool active = runtime_.feedsChronyd();
    const int unit = runtime_.chronyShmUnit.load();
    if (!active || unit != unit_) {
        writer_.reset();
        segment_.reset();
        samples_ = 0;
        tried_ = false;
        error_.clear();
        unit_ = unit;
    }
    if (!active || segment_ || tried_) {
        return segment_ != nullptr;
    }
    tried_ = true;
    if (unit < kMinUnit || unit > kMaxUnit) {
        error_ = "\"ChronyShmUnit\" " + std::to_string(unit) + " is not a unit from " +
                 std::to_string(kMinUnit) + " to " + std::to_string(kMaxUnit);
        return false;
    }
    std::string error;
    std::unique_ptr<SharedMemory> segment = opener_(ShmRefclockKey(unit), &error);
    if (!segment || segment->size() < sizeof(ShmTime)) {
        error_ = segment ? "the segment is too small" : error;
        return false;
    }
    segment_ = std::move(segment);
    error_.clear();
    writer_.emplace(static_cast<ShmTime*>(segment_->data()));
    return true;
}

std::optional<RefclockSample> ChronyFeed::OnPortRead(int64_t realtimeNowNs, int64_t steadyNowNs) {
    const uint64_t sequence = gps_.LastArrivalSequence();
    const bool arrived = lastArrival_ && sequence != *lastArrival_;
    lastArrival_ = sequence;
    if (arrived && !segment_) {
        tried_ = false;  // a segment that could not be attached is tried again once a second
    }
    if (!Follow() || !arrived || TimeLockTest(gps_, runtime_) != 1) {
        return std::nullopt;
    }
    const std::optional<TimeSentenceArrival> arrival = gps_.LastArrival();
    const GpsTimeSnapshot time = gps_.timeSnapshot();
    if (!IsTimedArrivalOf(arrival, time)) {
        return std::nullopt;  // not timed, or already followed by a reset of the record
    }
    const int64_t receiveNs = realtimeNowNs - (steadyNowNs - arrival->arrivalNs);
    const std::optional<SystemTime> reference = ComposeGpsTime(
        utcFromUnixMillis(receiveNs / 1000000), time, store_.read(keys::GPSTimeDelay));
    if (!reference) {
        return std::nullopt;  // a delay out of range, or no calendar time
    }
    const RefclockSample sample{toUnixMillis(*reference) * 1000000, receiveNs};
    writer_->Write(sample);
    ++samples_;
    return sample;
}

ChronyFeed::Status ChronyFeed::status() const {
    Status s;
    s.active = runtime_.feedsChronyd();
    s.unit = runtime_.chronyShmUnit.load();
    s.attached = segment_ != nullptr && s.unit == unit_;
    s.error = s.active ? error_ : std::string();
    if (s.attached) {
        const int count = segment_->attachCount();
        s.otherAttached = count < 0 ? -1 : count - 1;
        s.lastTaken = samples_ > 0 && writer_->LastSampleTaken();
    }
    s.samples = samples_;
    s.locked = TimeLockTest(gps_, runtime_) == 1;
    return s;
}

}  // namespace horalux
