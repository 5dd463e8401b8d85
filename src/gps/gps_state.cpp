#include "gps/gps_state.h"

namespace horalux {

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
    std::lock_guard lock(publishMutex_);
    latitude = longitude = altitude = 0.0;
    fixQuality = utcHour = utcMinute = utcSecond = 0;
    satellitesInView = sentenceCount = gsvSentenceCount = 0;
    satellitesUsed = 0;
    usedInFix.fill(0);
    for (int i = 0; i < 12; ++i) {
        satellites[static_cast<size_t>(i)] = {};
        signals[static_cast<size_t>(i)] = {};
    }
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
