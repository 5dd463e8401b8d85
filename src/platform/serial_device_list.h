#pragma once

#include <string>
#include <vector>

namespace horalux {

// One serial device as the user picks it: the name to type, and what the system knows of the
// device behind it (the USB product, its maker; empty when nothing is known).
struct SerialDeviceEntry {
    std::string path;
    std::string description;
    bool operator==(const SerialDeviceEntry&) const = default;
};

// The serial devices attached to this machine that a GPS receiver is likely to be on, by the
// names a user types: the stable links of /dev/serial/by-id first, then the /dev/ttyACM* and
// /dev/ttyUSB* devices no link names. Offered where a port is typed; what is typed stays what is
// used.
class SerialDeviceList {
  public:
    virtual ~SerialDeviceList() = default;

    // The devices present now, each once, sorted within each of the two groups.
    virtual std::vector<SerialDeviceEntry> devices() const = 0;
};

}  // namespace horalux
