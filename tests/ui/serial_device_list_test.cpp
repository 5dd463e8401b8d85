// The serial devices offered where a port is typed: the by-id links udev makes, then the USB
// ports (whatever this machine has of those).
#include "platform/qt_serial_device_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_dirs.h"

namespace horalux {
namespace {

TEST(QtSerialDeviceListTest, ByIdLinksComeFirstAndOnlyUsbPortsFollow) {
    test::TempDir dir;
    const std::string folder = dir.file("by-id");
    std::filesystem::create_directory(folder);
    // Links to character devices, as udev makes them; one to a device that has gone.
    std::filesystem::create_symlink("/dev/null", folder + "/usb-u-blox_AG_GNSS_receiver-if00");
    std::filesystem::create_symlink("/dev/zero", folder + "/usb-Prolific_USB-Serial-if00-port0");
    std::filesystem::create_symlink(dir.file("gone"), folder + "/usb-FTDI_FT232R-if00-port0");
    QtSerialDeviceList list(QString::fromStdString(folder));

    const std::vector<std::string> links = list.byIdLinks();
    EXPECT_EQ(links, (std::vector<std::string>{folder + "/usb-FTDI_FT232R-if00-port0",
                                               folder + "/usb-Prolific_USB-Serial-if00-port0",
                                               folder + "/usb-u-blox_AG_GNSS_receiver-if00"}));
    const std::vector<SerialDeviceEntry> devices = list.devices();
    ASSERT_GE(devices.size(), links.size());
    for (size_t i = 0; i < links.size(); ++i) {
        EXPECT_EQ(devices[i].path, links[i]);
        EXPECT_EQ(devices[i].description, "") << "no serial port behind it: nothing known";
    }
    for (size_t i = links.size(); i < devices.size(); ++i) {
        EXPECT_TRUE(devices[i].path.starts_with("/dev/ttyACM") ||
                    devices[i].path.starts_with("/dev/ttyUSB"))
            << devices[i].path;
    }

    EXPECT_TRUE(QtSerialDeviceList(QString::fromStdString(dir.file("absent"))).byIdLinks().empty());
    // The folder a test names, else udev's.
    qputenv("HORALUX_SERIAL_BY_ID", QByteArray::fromStdString(folder));
    EXPECT_EQ(QtSerialDeviceList().byIdLinks(), links);
    qunsetenv("HORALUX_SERIAL_BY_ID");
    EXPECT_EQ(QtSerialDeviceList::DefaultByIdFolder(), QStringLiteral("/dev/serial/by-id"));
}

}  // namespace
}  // namespace horalux
