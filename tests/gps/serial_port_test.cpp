// SerialPort against a fake device and a hand-driven monotonic clock: what the user is told when
// a port cannot be opened, which device a setting names, and how a lost receiver is looked for.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "app/settings_keys.h"
#include "gps/serial_port.h"
#include "platform/fake_message_service.h"
#include "platform/fake_serial_device.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

const std::string kNotFound =
    "Communication Port Not Found!\n\nThe communications port does not exist. Check your system "
    "configuration on the status of this Communication port";
const std::string kAccessDenied =
    "Access Denied!\n\n The communications port may be in use at this time. Please choose "
    "another port or close the application using the desired port.";

class SerialPortTest : public ::testing::Test {
  protected:
    SerialPortTest() {
        auto device = std::make_unique<FakeSerialDevice>();
        device_ = device.get();
        port_ = std::make_unique<SerialPort>(messages_, std::move(device), [this] { return now_; });
    }

    std::string readAll() {
        uint8_t buffer[512];
        const size_t n = port_->readAvailable(buffer, sizeof buffer);
        return std::string(reinterpret_cast<char*>(buffer), n);
    }

    FakeMessageService messages_;
    FakeSerialDevice* device_ = nullptr;
    SerialPort::Clock::time_point now_{std::chrono::hours(1)};
    std::unique_ptr<SerialPort> port_;
};

TEST(SerialPortNameTest, NumberedPortsAndDevicePaths) {
    EXPECT_EQ(SerialPort::DeviceName(1, ""), "/dev/ttyS0");
    EXPECT_EQ(SerialPort::DeviceName(7, ""), "/dev/ttyS6");
    EXPECT_EQ(SerialPort::DeviceName(1, "/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(SerialPort::DeviceName(3, "  /dev/gps0 \n"), "/dev/gps0");
    EXPECT_EQ(SerialPort::DeviceName(2, "   "), "/dev/ttyS1");  // a blank path is no path
}

TEST_F(SerialPortTest, OpenFailuresShowTheirMessages) {
    struct Case {
        SerialOpenResult result;
        std::string text;
        std::string caption;
        bool beep;
    };
    const Case cases[] = {
        {{SerialOpenStep::Open, ENOENT}, kNotFound, "", false},
        {{SerialOpenStep::Open, ENODEV}, kNotFound, "", false},
        {{SerialOpenStep::Open, EACCES}, kAccessDenied, "", false},
        {{SerialOpenStep::Open, EBUSY}, kAccessDenied, "", false},
        {{SerialOpenStep::Open, EIO},
         "Comm Open Error![5]\n\n The communications port may be in use at this time. Please "
         "choose another port or close the application using the desired port.",
         "",
         false},
        {{SerialOpenStep::GetState, ENOTTY}, "GetCommState", "Could not get comm state", true},
        {{SerialOpenStep::SetState, EINVAL},
         "SetCommState",
         "Could not set communication state",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        messages_.clear();
        device_->setOpenResult(c.result);
        EXPECT_EQ(port_->Open(7, 4800, 0, 8, 1, 0), -1);
        ASSERT_EQ(messages_.boxes().size(), 1u);
        EXPECT_EQ(messages_.boxes()[0].text, c.text);
        EXPECT_EQ(messages_.boxes()[0].caption, c.caption);
        EXPECT_EQ(messages_.boxes()[0].style, kIconStop);
        EXPECT_EQ(messages_.beeps(),
                  c.beep ? std::vector<unsigned>{kIconStop} : std::vector<unsigned>{});
        EXPECT_FALSE(port_->IsOpen());

        // Quiet opens fail the same way without a word.
        messages_.clear();
        EXPECT_EQ(port_->Open(7, 4800, 0, 8, 1, 1), -1);
        EXPECT_TRUE(messages_.boxes().empty());
        EXPECT_TRUE(messages_.beeps().empty());
    }
    EXPECT_EQ(device_->openedPaths().back(), "/dev/ttyS6");
}

TEST_F(SerialPortTest, OpenFromSettingsUsesPortBaudAndTheDeviceOverride) {
    MemorySettingsStore store;
    ASSERT_EQ(port_->OpenFromSettings(store), 0);  // defaults: port 1 at 4800
    EXPECT_EQ(device_->openedPaths().back(), "/dev/ttyS0");
    EXPECT_EQ(device_->lastSettings().baud, 4800);
    EXPECT_EQ(device_->lastSettings().parity, 0);
    EXPECT_EQ(device_->lastSettings().dataBits, 8);
    EXPECT_EQ(device_->lastSettings().stopBits, 1);

    store.write(keys::Port, 4);
    store.write(keys::Baud, 9600);
    ASSERT_EQ(port_->OpenFromSettings(store), 0);
    EXPECT_EQ(device_->openedPaths().back(), "/dev/ttyS3");
    EXPECT_EQ(device_->lastSettings().baud, 9600);
    EXPECT_EQ(device_->closeCount(), 1);  // the port that was open went first

    store.write(keys::Device, "/dev/serial/by-id/usb-gps");
    ASSERT_EQ(port_->OpenFromSettings(store), 0);
    EXPECT_EQ(device_->openedPaths().back(), "/dev/serial/by-id/usb-gps");
    EXPECT_EQ(port_->Handle(), port_.get());
}

TEST_F(SerialPortTest, CloseReleasesThePortAndWaits) {
    device_->setNativeHandle(3);
    ASSERT_EQ(port_->Open("/dev/ttyUSB0", 4800, 0, 8, 1, 0), 0);
    device_->receive("$GPGGA");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port_->Close(), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_EQ(port_->Handle(), nullptr);
    EXPECT_EQ(port_->nativeHandle(), -1);
    EXPECT_EQ(readAll(), "");
    EXPECT_EQ(port_->Close(), -1);  // nothing left to close

    ASSERT_EQ(port_->Open("/dev/ttyUSB0", 4800, 0, 8, 1, 0), 0);
    device_->setCloseResult(-1);
    EXPECT_EQ(port_->Close(), -1);  // the platform's result is passed on
}

TEST_F(SerialPortTest, ALostReceiverIsLookedForOnceASecondUntilItIsBack) {
    device_->setNativeHandle(11);
    ASSERT_EQ(port_->Open("/dev/ttyACM0", 9600, 0, 8, 1, 0), 0);
    EXPECT_EQ(port_->nativeHandle(), 11);
    EXPECT_EQ(port_->openGeneration(), 1u);
    device_->receive("$GPZDA");
    EXPECT_EQ(readAll(), "$GPZDA");

    device_->hangUp(EIO);
    EXPECT_EQ(readAll(), "");
    EXPECT_TRUE(port_->IsLost());
    EXPECT_EQ(port_->Handle(), port_.get());  // still the reader's port
    EXPECT_EQ(port_->nativeHandle(), -1);     // nothing to wait on while it is gone
    device_->setOpenResult({SerialOpenStep::Open, ENOENT});

    // Polled every 50 ms for 3.5 s: one quiet attempt a second, not one per poll.
    for (int tick = 0; tick < 70; ++tick) {
        now_ += 50ms;
        EXPECT_EQ(readAll(), "");
    }
    EXPECT_EQ(port_->reopenAttempts(), 3);
    EXPECT_EQ(device_->openCount(), 1 + 3);
    for (const std::string& path : device_->openedPaths()) {
        EXPECT_EQ(path, "/dev/ttyACM0");
    }
    EXPECT_EQ(device_->lastSettings().baud, 9600);
    EXPECT_TRUE(messages_.boxes().empty());
    EXPECT_TRUE(messages_.beeps().empty());
    EXPECT_EQ(port_->nativeHandle(), -1);
    EXPECT_EQ(port_->openGeneration(), 1u);  // failed attempts open nothing

    // Plugged back in: the next attempt opens it and reading resumes, on a descriptor that may
    // carry the old number but belongs to a new opening.
    device_->setOpenResult({});
    now_ += 1s;
    EXPECT_EQ(readAll(), "");
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_EQ(port_->nativeHandle(), 11);
    EXPECT_EQ(port_->openGeneration(), 2u);
    device_->receive("$GPRMC");
    EXPECT_EQ(readAll(), "$GPRMC");
    EXPECT_FALSE(port_->IsLost());
}

TEST_F(SerialPortTest, APortThatCouldNotBeOpenedIsPickedUpWhenItAppears) {
    device_->setOpenResult({SerialOpenStep::Open, ENOENT});
    EXPECT_EQ(port_->Open("/dev/ttyUSB0", 4800, 0, 8, 1, 0), -1);
    EXPECT_EQ(messages_.boxes().size(), 1u);  // told once, at the open
    EXPECT_EQ(port_->Handle(), port_.get());

    now_ += 500ms;
    EXPECT_EQ(readAll(), "");
    EXPECT_EQ(device_->openCount(), 1);  // not before a second has passed
    device_->setOpenResult({});
    now_ += 500ms;
    EXPECT_EQ(readAll(), "");
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_EQ(messages_.boxes().size(), 1u);
}

TEST_F(SerialPortTest, APortThatRefusesItsSettingsIsNotRetried) {
    device_->setOpenResult({SerialOpenStep::SetState, EINVAL});
    EXPECT_EQ(port_->Open("/dev/ttyUSB0", 12345, 0, 8, 1, 1), -1);
    EXPECT_EQ(port_->Handle(), nullptr);
    device_->setOpenResult({});
    for (int i = 0; i < 5; ++i) {
        now_ += 1s;
        readAll();
    }
    EXPECT_EQ(device_->openCount(), 1);
    EXPECT_FALSE(port_->IsOpen());
}

TEST_F(SerialPortTest, CloseEndsTheSearchForALostReceiver) {
    ASSERT_EQ(port_->Open("/dev/ttyACM0", 4800, 0, 8, 1, 0), 0);
    device_->hangUp();
    readAll();
    ASSERT_TRUE(port_->IsLost());
    EXPECT_EQ(port_->Close(), 0);  // it was in use: closing it succeeds
    EXPECT_EQ(port_->Handle(), nullptr);
    now_ += 5s;
    readAll();
    EXPECT_EQ(device_->openCount(), 1);
}

}  // namespace
}  // namespace horalux
