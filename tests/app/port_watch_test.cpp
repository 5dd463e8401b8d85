// Which descriptor the main frame waits on for the receiver's bytes, and when its watch must be
// removed or made again.
#include <gtest/gtest.h>

#include <chrono>

#include "app/port_watch.h"
#include "platform/fake_message_service.h"
#include "platform/fake_serial_device.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;
using Change = PortWatch::Change;

TEST(PortWatchTest, AWatchIsMadeForEachOpeningOfTheDeviceAndRemovedWhenItCloses) {
    PortWatch watch;
    EXPECT_EQ(watch.Follow({}), Change::None);  // nothing open, nothing watched
    EXPECT_EQ(watch.handle(), -1);

    EXPECT_EQ(watch.Follow({9, 1}), Change::Replace);
    EXPECT_EQ(watch.handle(), 9);
    EXPECT_EQ(watch.Follow({9, 1}), Change::None);  // asked after every read: no churn

    // A hang-up closed it: remove the watch once.
    EXPECT_EQ(watch.Follow({}), Change::Remove);
    EXPECT_EQ(watch.handle(), -1);
    EXPECT_EQ(watch.Follow({}), Change::None);

    // Reopened under the same number: a new device, a new watch.
    EXPECT_EQ(watch.Follow({9, 2}), Change::Replace);
    // Closed and reopened between two reads: the watch on the old opening is replaced.
    EXPECT_EQ(watch.Follow({9, 3}), Change::Replace);
    EXPECT_EQ(watch.Follow({4, 4}), Change::Replace);
    EXPECT_EQ(watch.handle(), 4);
}

TEST(PortWatchTest, ThePortIsWatchedInGpsModeWhileTheReaderReadsItAndItsDeviceIsOpen) {
    auto device = std::make_unique<FakeSerialDevice>();
    FakeSerialDevice& fake = *device;
    fake.setNativeHandle(7);
    FakeMessageService messages;
    SerialPort::Clock::time_point now{1h};
    SerialPort port(messages, std::move(device), [&] { return now; });
    GpsState gps;
    RuntimeSettings runtime;
    runtime.useNetworkTime = 0;

    EXPECT_EQ(PortWatchTargetFor(nullptr, gps, runtime), PortWatchTarget{});
    EXPECT_EQ(PortWatchTargetFor(&port, gps, runtime), PortWatchTarget{});  // never opened

    ASSERT_EQ(port.Open("/dev/ttyACM0", 4800, 0, 8, 1, 1), 0);
    EXPECT_EQ(PortWatchTargetFor(&port, gps, runtime), PortWatchTarget{})
        << "open, but not the reader's port";
    gps.portHandle = port.Handle();
    EXPECT_EQ(PortWatchTargetFor(&port, gps, runtime), (PortWatchTarget{7, 1}));

    runtime.useNetworkTime = 1;  // the reader is not polled in network mode
    EXPECT_EQ(PortWatchTargetFor(&port, gps, runtime), PortWatchTarget{});
    runtime.useNetworkTime = 0;

    // Unplugged: the read that notices closes the device; while it is looked for, nothing.
    fake.hangUp();
    uint8_t buffer[16];
    port.readAvailable(buffer, sizeof buffer);
    ASSERT_TRUE(port.IsLost());
    EXPECT_EQ(PortWatchTargetFor(&port, gps, runtime), PortWatchTarget{});

    // Plugged back: found again within a second, same number, the next opening.
    now += SerialPort::kReopenInterval;
    port.readAvailable(buffer, sizeof buffer);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(PortWatchTargetFor(&port, gps, runtime), (PortWatchTarget{7, 2}));
}

}  // namespace
}  // namespace horalux
