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
    const std::vector<std::string> devices = list.devices();
    ASSERT_GE(devices.size(), links.size());
    EXPECT_TRUE(std::equal(links.begin(), links.end(), devices.begin()));
    for (size_t i = links.size(); i < devices.size(); ++i) {
        EXPECT_TRUE(devices[i].starts_with("/dev/ttyACM") || devices[i].starts_with("/dev/ttyUSB"))
            << devices[i];
    }

    EXPECT_TRUE(QtSerialDeviceList(QString::fromStdString(dir.file("absent"))).byIdLinks().empty());
}

}  // namespace
}  // namespace horalux
