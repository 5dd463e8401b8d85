#pragma once

#include <memory>
#include <optional>

#include "platform/serial_device.h"

namespace horalux {

// A serial device through POSIX termios: opened with O_NOCTTY and O_NONBLOCK, held exclusively
// (TIOCEXCL against other openers, flock against other programs that lock as we do), raw 8N1
// (or as asked) with CLOCAL and CREAD, no flow control, DTR and RTS on, VMIN = VTIME = 0.
class PosixSerialDevice final : public SerialDevice {
  public:
    PosixSerialDevice() = default;
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    SerialOpenResult open(const std::string& path, const SerialLineSettings& settings) override;
    SerialReadResult read(uint8_t* buffer, size_t capacity) override;
    bool setSpeed(int baud) override;
    int close() override;
    bool isOpen() const override { return fd_ >= 0; }
    int nativeHandle() const override { return fd_; }

    // The termios speed constant for a speed in bits per second, or nothing when the speed is
    // not one the terminal interface supports.
    static std::optional<unsigned> speedConstant(int baud);

  private:
    void release();  // closes after a loss, without reporting

    int fd_ = -1;
};

std::unique_ptr<SerialDevice> makePosixSerialDevice();

}  // namespace horalux
