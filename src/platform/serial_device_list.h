#pragma once

#include <string>
#include <vector>

namespace horalux {

// The serial devices attached to this machine that a GPS receiver is likely to be on, by the
// names a user types: the stable links of /dev/serial/by-id first, then /dev/ttyACM* and
// /dev/ttyUSB*. Offered as completions where a port is typed; what is typed stays what is used.
class SerialDeviceList {
  public:
    virtual ~SerialDeviceList() = default;

    // The devices present now, each name once, sorted within each of the two groups.
    virtual std::vector<std::string> devices() const = 0;
};

}  // namespace horalux
