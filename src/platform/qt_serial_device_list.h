#pragma once

#include <QString>

#include "platform/serial_device_list.h"

namespace horalux {

// The devices as udev names them: the links in the by-id folder, and the USB modem (ttyACM) and
// USB serial (ttyUSB) ports that Qt SerialPort finds and no link names, each described with the
// product (and maker) its USB descriptor gives.
class QtSerialDeviceList final : public SerialDeviceList {
  public:
    // The by-id folder is /dev/serial/by-id unless HORALUX_SERIAL_BY_ID names another (tests).
    explicit QtSerialDeviceList(QString byIdFolder = DefaultByIdFolder());

    std::vector<SerialDeviceEntry> devices() const override;

    // The links of the by-id folder, as paths in it, sorted (none when it is absent).
    std::vector<std::string> byIdLinks() const;

    static QString DefaultByIdFolder();

  private:
    QString byIdFolder_;
};

}  // namespace horalux
