#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace horalux {

class SettingsStore;
class SerialPort;
class GpsState;

// What the "Comm Port:" field holds: a port number n (the port /dev/ttyS(n-1)), or the path of a
// device such as /dev/ttyACM0 (any absolute path: a link to the device made elsewhere serves as
// well). Blanks around the text do not count. Text that is neither reads as a number the way
// every field does: 0.
struct CommPortChoice {
    int32_t port = 0;    // the number; meaningful when device is empty
    std::string device;  // the device path, or empty for a numbered port

    bool operator==(const CommPortChoice&) const = default;
};

CommPortChoice ParseCommPort(std::string_view text);

// The text "Comm Port:" shows for the stored settings: the device path when one is stored (it is
// the port opened), else the port number.
std::string CommPortText(const SettingsStore& store);

// "Apply Comm Settings": stores the port (a number in "Port", clearing "Device"; a path in
// "Device", leaving the number) and the speed in "Baud", then closes the receiver's port and
// opens it again with what is stored, telling the user when it fails. The GPS record's port
// follows whether or not the open succeeded. Returns the open's result (0 or -1).
int ApplyCommSettings(SettingsStore& store, SerialPort& serial, GpsState& gps,
                      std::string_view portText, int32_t baud);

}  // namespace horalux
