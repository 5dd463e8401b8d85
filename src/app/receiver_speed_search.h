#pragma once

#include <cstdint>
#include <functional>

#include "gps/baud_detector.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "platform/settings_store.h"

namespace horalux {

// Finds the speed the receiver really sends at (BaudDetector's rules) and keeps the port at it:
// each step tries the next speed on the open port, quietly, and the speed that brings sentences
// is stored in "Baud" at once, so the GPS Configuration page and the next start use it. Every
// opening of the port (start-up, "Apply Comm Settings", a receiver plugged back in) starts
// afresh from the speed the port was opened at.
//
// Runs on the user-interface thread, on the heartbeat, in GPS mode.
class ReceiverSpeedSearch {
  public:
    // Told of each speed found (for the trace), after it is stored.
    using FoundListener = std::function<void(int baud)>;

    ReceiverSpeedSearch(SerialPort& port, const NmeaReader& reader, SettingsStore& store,
                        FoundListener found = {});

    // One step at `nowMs` (a steady time base).
    void Tick(int64_t nowMs);

    bool searching() const { return detector_.searching(); }

  private:
    SerialPort& port_;
    const NmeaReader& reader_;
    SettingsStore& store_;
    FoundListener found_;
    BaudDetector detector_;
    uint64_t generation_ = 0;  // the port's opening the detector follows (0: none yet)
};

}  // namespace horalux
