#include "platform/qt_serial_device_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <map>
#include <set>

namespace horalux {

namespace {

// "u-blox 7 - GPS/GNSS Receiver (u-blox AG - www.u-blox.com)": the product, then its maker when
// the product does not already name it.
std::string describe(const QSerialPortInfo& info) {
    QString text = info.description().trimmed();
    const QString maker = info.manufacturer().trimmed();
    if (text.isEmpty()) {
        text = maker;
    } else if (!maker.isEmpty() && !text.contains(maker, Qt::CaseInsensitive)) {
        text += QStringLiteral(" (") + maker + QLatin1Char(')');
    }
    return text.toStdString();
}

}  // namespace

QtSerialDeviceList::QtSerialDeviceList(QString byIdFolder) : byIdFolder_(std::move(byIdFolder)) {}

QString QtSerialDeviceList::DefaultByIdFolder() {
    const QString folder = qEnvironmentVariable("HORALUX_SERIAL_BY_ID");
    return folder.isEmpty() ? QStringLiteral("/dev/serial/by-id") : folder;
}

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

std::vector<SerialDeviceEntry> QtSerialDeviceList::devices() const {
    std::map<std::string, std::string> usbPorts;   // device -> description
    std::map<std::string, std::string> described;  // any port Qt knows -> description
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::string location = info.systemLocation().toStdString();
        described[location] = describe(info);
        const QString name = info.portName();
        if (name.startsWith(QLatin1String("ttyACM")) || name.startsWith(QLatin1String("ttyUSB"))) {
            usbPorts[location] = described[location];
        }
    }
    std::vector<SerialDeviceEntry> result;
    std::set<std::string> named;  // devices a link stands for
    for (const std::string& link : byIdLinks()) {
        const std::string target =
            QFileInfo(QString::fromStdString(link)).canonicalFilePath().toStdString();
        named.insert(target);
        const auto it = described.find(target);
        result.push_back({link, it == described.end() ? std::string() : it->second});
    }
    for (const auto& [port, description] : usbPorts) {
        if (named.count(port) == 0) {
            result.push_back({port, description});
        }
    }
    return result;
}

}  // namespace horalux
