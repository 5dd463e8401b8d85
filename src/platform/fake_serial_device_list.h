#pragma once

#include <utility>
#include <vector>

#include "platform/serial_device_list.h"

namespace horalux {

// The devices a test says are attached.
class FakeSerialDeviceList final : public SerialDeviceList {
  public:
    explicit FakeSerialDeviceList(std::vector<SerialDeviceEntry> devices = {})
        : devices_(std::move(devices)) {}

    std::vector<SerialDeviceEntry> devices() const override {
        ++calls_;
        return devices_;
    }
    void setDevices(std::vector<SerialDeviceEntry> devices) { devices_ = std::move(devices); }
    int calls() const { return calls_; }

  private:
    std::vector<SerialDeviceEntry> devices_;
    mutable int calls_ = 0;
};

}  // namespace horalux
