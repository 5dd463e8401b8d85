// The speed search on the program's own port and reader (a fake device): the speed is tried on
// the open port, the one found is stored in "Baud", and every opening starts afresh.
#include "app/receiver_speed_search.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "gps/nmea_parser.h"
#include "platform/fake_message_service.h"
#include "platform/fake_serial_device.h"
#include "platform/fake_system_clock.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

const std::string kGga = "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*67\r\n";

struct SearchRig {
    SearchRig() { gps.portHandle = port.get(); }
    // 50 ms ticks for `ms`, the receiver sending `bytes` once a second while the port is at
    // `receiverBaud` (garbage at any other speed).
    void run(int64_t ms, int receiverBaud, const std::string& bytes) {
        for (int64_t end = now + ms; now < end; now += 50) {
            if (now % 1000 == 100) {
                device->receive(port->baud() == receiverBaud ? bytes
                                                             : std::string(40, '\0') + "\xf0\x86");
            }
            reader.Poll();
            search.Tick(now);
        }
    }

    FakeMessageService messages;
    FakeSerialDevice* device = new FakeSerialDevice;  // owned by the port
    std::unique_ptr<SerialPort> port =
        std::make_unique<SerialPort>(messages, std::unique_ptr<SerialDevice>(device));
    MemorySettingsStore store;
    GpsState gps;
    NmeaParser parser{gps};
    FakeSystemClock clock{SystemTime{2001, 3, 0, 18, 12, 0, 0, 0}};
    NmeaReader reader{gps, parser, clock};
    ReceiverSpeedSearch search{*port, reader, store};
    int64_t now = 0;
};

TEST(ReceiverSpeedSearchTest, FindsStoresAndStartsAfreshOnEveryOpening) {
    SearchRig rig;
    ASSERT_EQ(rig.port->Open("/dev/ttyACM0", 4800, 0, 8, 1, 1), 0);
    rig.run(15000, 19200, kGga);
    EXPECT_EQ(rig.device->speedChanges(), (std::vector<int>{9600, 19200}));
    EXPECT_EQ(rig.store.read(keys::Baud), 19200);
    EXPECT_EQ(rig.port->baud(), 19200);
    EXPECT_GT(rig.gps.sentenceCount, 0);
    EXPECT_TRUE(rig.messages.boxes().empty()) << "the search is quiet";

    // "Apply Comm Settings" with the wrong speed again: the search starts from it.
    ASSERT_EQ(rig.port->Open("/dev/ttyACM0", 4800, 0, 8, 1, 1), 0);
    rig.run(15000, 19200, kGga);
    EXPECT_EQ(rig.device->speedChanges(), (std::vector<int>{9600, 19200, 9600, 19200}));

    // A closed port (network mode, a receiver taken away) is left alone.
    rig.port->Close();
    rig.run(5000, 19200, kGga);
    EXPECT_EQ(rig.device->speedChanges().size(), 4u);
}

}  // namespace
}  // namespace horalux
