#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace horalux {

// Line settings of a serial port.
struct SerialLineSettings {
    int baud = 4800;   // bits per second; only the standard speeds are accepted
    int parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int dataBits = 8;  // 5 to 8
    int stopBits = 1;  // 1 or 2
};

// The step of opening a port that failed.
enum class SerialOpenStep {
    None,      // opened and configured
    Open,      // the device could not be opened, or another program holds it
    GetState,  // its line settings could not be read (for example: not a terminal)
    SetState,  // the speed or the framing could not be applied (unsupported values included)
};

struct SerialOpenResult {
    SerialOpenStep failedStep = SerialOpenStep::None;
    int error = 0;  // errno of the failed step; EBUSY when another program holds the port

    bool ok() const { return failedStep == SerialOpenStep::None; }
};

struct SerialReadResult {
    size_t bytes = 0;   // bytes copied into the caller's buffer
    bool lost = false;  // the device hung up or failed; it has been closed
    int error = 0;      // errno behind a loss (0 for a plain hang-up)
};

// One serial device, opened for exclusive use in raw mode. Reads never wait.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Opens and configures the device at path (closing whatever was open before), and drops
    // the bytes it had received before this open. On failure nothing stays open.
    virtual SerialOpenResult open(const std::string& path, const SerialLineSettings& settings) = 0;
    // Copies what has arrived, up to capacity bytes, without waiting. When the device is gone
    // (hang-up, I/O error) it is closed and the result says lost; later reads return nothing
    // until the next open.
    virtual SerialReadResult read(uint8_t* buffer, size_t capacity) = 0;
    // Changes the line speed of the open device and drops what it had received at the old one:
    // true when applied (false when closed, or the speed is not one the device takes).
    virtual bool setSpeed(int baud) = 0;
    // Releases the device: 0 on success, -1 when the close failed or nothing was open.
    virtual int close() = 0;
    virtual bool isOpen() const = 0;
    // The descriptor reads come from, for waiting until something arrives (poll, an event
    // loop's notifier); -1 while closed. Only for waiting: reading and closing stay here. A later
    // open may be given the same number.
    virtual int nativeHandle() const = 0;
};

}  // namespace horalux
