#include "platform/qt_serial_device_list.h"

#include <QDir>
#include <QSerialPortInfo>
#include <algorithm>

namespace horalux {

QtSerialDeviceList::QtSerialDeviceList(QString byIdFolder) : byIdFolder_(std::move(byIdFolder)) {}

std::vector<std::string> QtSerialDeviceList::byIdLinks() const {
    std::vector<std::string> links;
    const QDir folder(byIdFolder_);
    // udev makes links to character devices; System lists links whose target is not a plain file.
    const QStringList names =
        folder.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        links.push_back(folder.filePath(name).toStdString());
    }
    return links;
}

std::vector<std::string> QtSerialDeviceList::devices() const {
    std::vector<std::string> result = byIdLinks();
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        if (name.startsWith(QLatin1String("ttyACM")) || name.startsWith(QLatin1String("ttyUSB"))) {
            ports.push_back(info.systemLocation().toStdString());
        }
    }
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    result.insert(result.end(), ports.begin(), ports.end());
    return result;
}

}  // namespace horalux
