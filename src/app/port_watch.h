#pragma once

#include <cstdint>

#include "app/runtime_settings.h"
#include "gps/gps_state.h"
#include "gps/serial_port.h"

namespace horalux {

// A descriptor to wait on for the receiver's bytes, and which opening of the device it came from.
struct PortWatchTarget {
    int handle = -1;          // -1: nothing to wait on
    uint64_t generation = 0;  // SerialPort::openGeneration() when the handle was taken

    bool operator==(const PortWatchTarget&) const = default;
};

// What there is to wait on now: the port's descriptor while the reference is GPS and the sentence
// reader reads that port; nothing otherwise (no port, network mode, or the device closed or lost).
PortWatchTarget PortWatchTargetFor(const SerialPort* port, const GpsState& gps,
                                   const RuntimeSettings& runtime);

// Keeps one watch on the receiver's descriptor (an event-loop notifier that reads the port as soon
// as bytes arrive) in step with the port. A read can close the descriptor (hang-up, read error)
// and a reopen can bring back the same number for another device, so the owner asks after every
// read, before waiting again: a watch left on a closed descriptor would wake the loop without end,
// and one on a reused number would watch the wrong file.
class PortWatch {
  public:
    enum class Change {
        None,     // the watch in place (or its absence) is right
        Remove,   // remove the watch: nothing to wait on
        Replace,  // remove the watch in place, if any, then watch handle()
    };

    Change Follow(const PortWatchTarget& target);

    // The descriptor being watched, -1 when none.
    int handle() const { return current_.handle; }

  private:
    PortWatchTarget current_;
};

}  // namespace horalux
