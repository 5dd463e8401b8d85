// The simulated serial line of nmea-replay: what a UART at the program's speed reads of a burst
// sent at the receiver's, and where the time sentences of a burst end.
#include "nmea_replay/uart_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "nmea_replay/nmea_replay_script.h"
#include "nmea_replay/synthetic_receiver.h"
#include "platform/fake_system_clock.h"

namespace horalux::replay {
namespace {

constexpr std::array<int, 6> kLineSpeeds{4800, 9600, 19200, 38400, 57600, 115200};

struct ReadBack {
    uint64_t valid = 0;
    size_t bytes = 0;
    size_t nul = 0;
};

ReadBack readBack(const std::vector<UartByte>& received) {
    GpsState gps;
    NmeaParser parser(gps);
    FakeSystemClock clock;
    NmeaReader reader(gps, parser, clock);
    std::string bytes;
    ReadBack r;
    for (const UartByte& b : received) {
        bytes += static_cast<char>(b.value);
        r.nul += b.value == 0 ? 1 : 0;
    }
    reader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    r.valid = reader.validSentences();
    r.bytes = bytes.size();
    return r;
}

TEST(UartLineTest, AtTheSameSpeedEveryByteArrivesAsSentWhenItsStopBitIsRead) {
    const std::string burst = SyntheticReceiver::burst(1700000000);
    for (const int baud : kLineSpeeds) {
        const std::vector<UartByte> received = ReceiveAs(burst, baud, baud);
        ASSERT_EQ(received.size(), burst.size()) << baud;
        for (size_t i = 0; i < burst.size(); ++i) {
            ASSERT_EQ(received[i].value, static_cast<uint8_t>(burst[i])) << baud << " byte " << i;
            ASSERT_NEAR(received[i].atSeconds, (10.0 * static_cast<double>(i) + 9.5) / baud, 1e-9);
        }
        EXPECT_EQ(readBack(received).valid,
                  static_cast<uint64_t>(std::count(burst.begin(), burst.end(), '$')));
    }
}

TEST(UartLineTest, AtAnyOtherSpeedTheLineGivesGarbageButNeverSilence) {
    const std::string burst = SyntheticReceiver::burst(1700000000);
    for (const int sender : kLineSpeeds) {
        for (const int receiver : kLineSpeeds) {
            if (sender == receiver) {
                continue;
            }
            SCOPED_TRACE(std::to_string(sender) + " read at " + std::to_string(receiver));
            const ReadBack r = readBack(ReceiveAs(burst, sender, receiver));
            EXPECT_EQ(r.valid, 0u);
            // Bytes come (the speed search counts on them); a slower reader loses whole bytes
            // to framing errors.
            EXPECT_GT(r.bytes, 0u);
            if (receiver < sender) {
                EXPECT_GT(r.nul, 0u);
            }
        }
    }
}

TEST(UartLineTest, ASlowerReaderSeesFewerBytesAndAFasterOneMore) {
    const std::string text = "$GPGGA,123519,4807.038,N*47\r\n";
    EXPECT_LT(ReceiveAs(text, 9600, 4800).size(), text.size());
    EXPECT_GT(ReceiveAs(text, 4800, 38400).size(), text.size());
    EXPECT_TRUE(ReceiveAs("", 4800, 9600).empty());
    EXPECT_TRUE(ReceiveAs(text, 0, 9600).empty());
}

TEST(TimeSentenceEndsTest, TheByteEachTimeSentenceIsTakenAt) {
    const std::string burst =
        "$GPGGA,120000,,*4B\r\n$GPGSA,A,3*00\r\n$GNRMC,120000,A\r\n$GPZDA,120000,18,03,2001*7A\r\n";
    const std::vector<TimeSentenceEnd> ends = TimeSentenceEnds(burst);
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends[0], (TimeSentenceEnd{burst.find("*4B") + 2, "GGA"}));
    // Without a checksum: at its carriage return.
    EXPECT_EQ(ends[1], (TimeSentenceEnd{burst.find("A\r\n$GPZDA") + 1, "RMC"}));
    EXPECT_EQ(ends[2], (TimeSentenceEnd{burst.find("*7A") + 2, "ZDA"}));
    EXPECT_TRUE(TimeSentenceEnds("$GPGGA,1200").empty()) << "cut off: it never ends";
}

}  // namespace
}  // namespace horalux::replay
