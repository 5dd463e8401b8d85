#include "sync/time_lock.h"

namespace horalux {

int TimeLockTest(uint16_t satellitesUsed, int stale, int fixQuality, int32_t lockNeedsGoodGga,
                 uint16_t lockSatellites) {
    if (satellitesUsed < lockSatellites || stale != 0) {
        return 0;
    }
    if (lockNeedsGoodGga == 1 && fixQuality == 0) {
        return 0;
    }
    return 1;
}

int TimeLockTest(const GpsState& gps, const RuntimeSettings& runtime) {
    return TimeLockTest(gps.satellitesUsed, gps.stale, gps.fixQuality, runtime.lockNeedsGoodGga,
                        runtime.lockSatellites);
}

}  // namespace horalux
