#pragma once

#include <QString>

#include "platform/serial_device_list.h"

namespace horalux {

// The devices as udev names them: the links in the by-id folder, and the USB modem (ttyACM) and
// USB serial (ttyUSB) ports that Qt SerialPort finds.
class QtSerialDeviceList final : public SerialDeviceList {
  public:
    explicit QtSerialDeviceList(QString byIdFolder = QStringLiteral("/dev/serial/by-id"));

    std::vector<std::string> devices() const override;

    // The links of the by-id folder, as paths in it, sorted (none when it is absent).
    std::vector<std::string> byIdLinks() const;

  private:
    QString byIdFolder_;
};

}  // namespace horalux
