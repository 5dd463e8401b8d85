#pragma once

#include <cstdint>

#include "app/runtime_settings.h"
#include "gps/gps_state.h"

namespace horalux {

// Whether the receiver's time may be trusted to set the clock: enough satellites in use
// (compared as unsigned 16-bit numbers), sentences arriving, and, only when lockNeedsGoodGga is
// exactly 1, a GGA fix. Returns 1 (locked) or 0.
int TimeLockTest(uint16_t satellitesUsed, int stale, int fixQuality, int32_t lockNeedsGoodGga,
                 uint16_t lockSatellites);

// The same test on the receiver's record and the cached lock settings. Called on the user-interface
// thread right after each poll of the serial port, which is the thread that writes the record.
int TimeLockTest(const GpsState& gps, const RuntimeSettings& runtime);

}  // namespace horalux
