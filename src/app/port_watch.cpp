#include "app/port_watch.h"

namespace horalux {

PortWatchTarget PortWatchTargetFor(const SerialPort* port, const GpsState& gps,
                                   const RuntimeSettings& runtime) {
    if (port == nullptr || runtime.useNetworkTime.load() == 1 ||
        gps.portHandle != static_cast<const SerialInput*>(port)) {
        return {};
    }
    const int handle = port->nativeHandle();
    if (handle < 0) {
        return {};
    }
    return {handle, port->openGeneration()};
}

PortWatch::Change PortWatch::Follow(const PortWatchTarget& target) {
    if (target.handle < 0) {
        const bool watching = current_.handle >= 0;
        current_ = {};
        return watching ? Change::Remove : Change::None;
    }
    if (target == current_) {
        return Change::None;
    }
    current_ = target;
    return Change::Replace;
}

}  // namespace horalux
