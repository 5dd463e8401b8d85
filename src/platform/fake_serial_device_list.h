#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/serial_device_list.h"

namespace horalux {

// The devices a test says are attached.
class FakeSerialDeviceList final : public SerialDeviceList {
  public:
    explicit FakeSerialDeviceList(std::vector<std::string> devices = {})
        : devices_(std::move(devices)) {}

    std::vector<std::string> devices() const override {
        ++calls_;
        return devices_;
    }
    void setDevices(std::vector<std::string> devices) { devices_ = std::move(devices); }
    int calls() const { return calls_; }

  private:
    std::vector<std::string> devices_;
    mutable int calls_ = 0;
};

}  // namespace horalux
