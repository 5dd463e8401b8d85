#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace horalux {

// A serial device for tests: opens succeed or fail as told, reads hand out the bytes pushed in,
// and a hang-up can be staged. Records every open.
class FakeSerialDevice final : public SerialDevice {
  public:
    SerialOpenResult open(const std::string& path, const SerialLineSettings& settings) override;
    SerialReadResult read(uint8_t* buffer, size_t capacity) override;
    bool setSpeed(int baud) override;
    int close() override;
    bool isOpen() const override { return open_; }
    int nativeHandle() const override { return open_ ? handle_ : -1; }

    // What the following opens answer (success by default).
    void setOpenResult(SerialOpenResult result) { openResult_ = result; }
    // Bytes the device receives; they are lost when the device is not open.
    void receive(const std::string& bytes);
    // The next read reports the device as gone (with this errno) and closes it.
    void hangUp(int error = 0);
    // What close() returns from now on.
    void setCloseResult(int result) { closeResult_ = result; }
    // The descriptor the device reports while open (-1 by default).
    void setNativeHandle(int handle) { handle_ = handle; }

    int openCount() const { return static_cast<int>(opens_.size()); }
    int closeCount() const { return closes_; }
    int readCount() const { return reads_; }
    const std::vector<std::string>& openedPaths() const { return opens_; }
    // The settings of the last open, with the speed of the last setSpeed since.
    const SerialLineSettings& lastSettings() const { return lastSettings_; }
    // The speeds setSpeed was given, in order.
    const std::vector<int>& speedChanges() const { return speedChanges_; }

  private:
    SerialOpenResult openResult_{};
    bool open_ = false;
    bool hangUpPending_ = false;
    int hangUpError_ = 0;
    int closeResult_ = 0;
    int handle_ = -1;
    int closes_ = 0;
    int reads_ = 0;
    std::deque<uint8_t> input_;
    std::vector<std::string> opens_;
    SerialLineSettings lastSettings_{};
    std::vector<int> speedChanges_;
};

}  // namespace horalux
