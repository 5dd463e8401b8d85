#include "gps/gps_state.h"

#include <algorithm>

namespace horalux {

bool IsTimedArrivalOf(const std::optional<TimeSentenceArrival>& arrival,
                      const GpsTimeSnapshot& time) {
    return arrival && arrival->arrivalNs != 0 && arrival->utcHour == time.utcHour &&
           arrival->utcMinute == time.utcMinute && arrival->utcSecond == time.utcSecond;
}

GpsState::GpsState() {
    Reset();
}

void GpsState::GetPosition(double& lat, double& lon, double& alt) const {
    lat = latitude;
    lon = longitude;
    alt = altitude;
}

void GpsState::CopySatellites(std::array<SatelliteInfo, kTableSize>& out) const {
    out = satellites;
}

void GpsState::CopySignals(std::array<SignalInfo, kTableSize>& out) const {
    out = signals;
}

void GpsState::Reset() {
    std::unique_lock lock(publishMutex_);
    latitude = longitude = altitude = 0.0;
    fixQuality = utcHour = utcMinute = utcSecond = 0;
    satellitesInView = sentenceCount = gsvSentenceCount = 0;
    satellitesUsed = 0;
    usedInFix.fill(0);
    for (int i = 0; i < 12; ++i) {
        satellites[static_cast<size_t>(i)] = {};
        signals[static_cast<size_t>(i)] = {};
    }
    lock.unlock();
    NotifyTimeChanged();
}

GpsTimeSnapshot GpsState::timeSnapshot() const {
    std::lock_guard lock(publishMutex_);
    return {utcHour, utcMinute, utcSecond, zdaDateValid, zdaYear, zdaMonth, zdaDay};
}

int GpsState::utcSecondNow() const {
    std::lock_guard lock(publishMutex_);
    return utcSecond;
}

}  // namespace horalux

namespace horalux {

bool GpsState::WaitForSecondChange(int second, std::chrono::steady_clock::time_point deadline,
                                   const std::stop_token& stop) const {
    std::unique_lock lock(publishMutex_);
    return timeChanged_.wait_until(lock, stop, deadline, [&] { return utcSecond != second; });
}

void GpsState::RecordTimeArrivalLocked(int64_t arrivalNs) {
    const TimeSentenceArrival& last = arrivals_[arrivalCount_ % kArrivalsKept];
    if (arrivalCount_ > 0 && last.utcHour == utcHour && last.utcMinute == utcMinute &&
        last.utcSecond == utcSecond) {
        return;  // another constellation's sentence of the same second: the first one counts
    }
    ++arrivalCount_;
    arrivals_[arrivalCount_ % kArrivalsKept] = {arrivalCount_, arrivalNs, utcHour, utcMinute,
                                                utcSecond};
}

std::vector<TimeSentenceArrival> GpsState::ArrivalsAfter(uint64_t sequence) const {
    std::lock_guard lock(publishMutex_);
    std::vector<TimeSentenceArrival> out;
    const uint64_t oldest = arrivalCount_ >= kArrivalsKept ? arrivalCount_ - kArrivalsKept + 1 : 1;
    for (uint64_t s = std::max(sequence + 1, oldest); s <= arrivalCount_; ++s) {
        out.push_back(arrivals_[s % kArrivalsKept]);
    }
    return out;
}

std::optional<TimeSentenceArrival> GpsState::LastArrival() const {
    std::lock_guard lock(publishMutex_);
    if (arrivalCount_ == 0) {
        return std::nullopt;
    }
    return arrivals_[arrivalCount_ % kArrivalsKept];
}

uint64_t GpsState::LastArrivalSequence() const {
    std::lock_guard lock(publishMutex_);
    return arrivalCount_;
}

}  // namespace horalux
