// SerialPort on real pseudo-terminals: the line settings it applies, exclusive use, what it says
// when a device is missing or held, and one sentence arriving in two pieces through the reader
// and parser.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "gps/nmea_reader.h"
#include "gps/serial_port.h"
#include "platform/fake_message_service.h"
#include "platform/fake_system_clock.h"
#include "support/child_process.h"
#include "support/pty_pair.h"
#include "support/test_dirs.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

const std::string kAccessDenied =
    "Access Denied!\n\n The communications port may be in use at this time. Please choose "
    "another port or close the application using the desired port.";

// Reads from the port until `until` bytes came or the time is up.
std::string readPort(SerialPort& port, size_t until, std::chrono::milliseconds timeout = 2s) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < until && std::chrono::steady_clock::now() < deadline) {
        uint8_t buffer[512];
        const size_t n = port.readAvailable(buffer, sizeof buffer);
        if (n == 0) {
            std::this_thread::sleep_for(10ms);
        }
        out.append(reinterpret_cast<char*>(buffer), n);
    }
    return out;
}

// The slave's settings, read through the master (a pseudo-terminal pair shares them).
termios settingsOf(const test::PtyPair& pty) {
    termios tio{};
    EXPECT_EQ(tcgetattr(pty.master(), &tio), 0);
    return tio;
}

TEST(SerialPtyTest, AppliesTheSpeedAndRawEightNoneOne) {
    test::PtyPair pty;
    FakeMessageService messages;
    SerialPort port(messages);
    const std::pair<int, speed_t> speeds[] = {{4800, B4800}, {9600, B9600}, {115200, B115200}};
    for (const auto& [baud, constant] : speeds) {
        SCOPED_TRACE(baud);
        ASSERT_EQ(port.Open(pty.slavePath(), baud, 0, 8, 1, 0), 0);
        const termios tio = settingsOf(pty);
        EXPECT_EQ(cfgetispeed(&tio), constant);
        EXPECT_EQ(cfgetospeed(&tio), constant);
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
        EXPECT_EQ(port.Close(), 0);
    }

    // Two stop bits when asked. (A pseudo-terminal keeps 8 data bits and no parity whatever it
    // is told, so the other framings cannot be seen here.)
    ASSERT_EQ(port.Open(pty.slavePath(), 9600, 2, 7, 2, 0), 0);
    EXPECT_EQ(settingsOf(pty).c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
    EXPECT_TRUE(messages.boxes().empty());

    // The speed search changes the speed of the open port, which keeps the rest of its settings
    // and drops what came at the old speed; a speed the terminal does not know changes nothing.
    ASSERT_TRUE(pty.write("$GPGGA,garbled,at,the,old,speed*00\r\n"));
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(port.SetSpeed(38400));
    EXPECT_EQ(port.baud(), 38400);
    termios tio = settingsOf(pty);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
    uint8_t buffer[64];
    EXPECT_EQ(port.readAvailable(buffer, sizeof buffer), 0u);
    EXPECT_FALSE(port.SetSpeed(12345));
    EXPECT_EQ(port.baud(), 38400);
    port.Close();
    EXPECT_FALSE(port.SetSpeed(9600)) << "no port open";
}

TEST(SerialPtyTest, BytesPassUnchangedAndThoseSentBeforeTheOpenAreDropped) {
    test::PtyPair pty;
    FakeMessageService messages;
    SerialPort port(messages);
    // Sent while nobody had the port open: a pseudo-terminal would keep these.
    ASSERT_TRUE(pty.write("$GPGGA,stale,before,open*00\r\n"));
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(port.Open(pty.slavePath(), 4800, 0, 8, 1, 0), 0);

    // Every byte value, CR and LF included, arrives as sent (no line discipline at work).
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    ASSERT_TRUE(pty.write(all));
    EXPECT_EQ(readPort(port, all.size()), all);
}

TEST(SerialPtyTest, AMissingDeviceIsNotFound) {
    test::TempDir dir;
    FakeMessageService messages;
    SerialPort port(messages);
    EXPECT_EQ(port.Open(dir.file("ttyUSB9"), 4800, 0, 8, 1, 0), -1);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text,
              "Communication Port Not Found!\n\nThe communications port does not exist. Check "
              "your system configuration on the status of this Communication port");
    EXPECT_EQ(messages.boxes()[0].caption, "");
    EXPECT_EQ(messages.boxes()[0].style, kIconStop);

    messages.clear();
    EXPECT_EQ(port.Open(dir.file("ttyUSB9"), 4800, 0, 8, 1, 1), -1);
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(SerialPtyTest, SomethingThatIsNotASerialPortCannotBeConfigured) {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "not a terminal\n";
    FakeMessageService messages;
    SerialPort port(messages);
    EXPECT_EQ(port.Open(dir.file("plain"), 4800, 0, 8, 1, 0), -1);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, "GetCommState");
    EXPECT_EQ(messages.boxes()[0].caption, "Could not get comm state");
    EXPECT_EQ(messages.beeps(), std::vector<unsigned>{kIconStop});
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Handle(), nullptr);

    // A speed the terminal interface does not know.
    test::PtyPair pty;
    messages.clear();
    EXPECT_EQ(port.Open(pty.slavePath(), 12345, 0, 8, 1, 0), -1);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, "SetCommState");
    EXPECT_EQ(messages.boxes()[0].caption, "Could not set communication state");
    EXPECT_EQ(messages.beeps(), std::vector<unsigned>{kIconStop});
    // Nothing was left holding the port: a correct open works at once.
    EXPECT_EQ(port.Open(pty.slavePath(), 4800, 0, 8, 1, 0), 0);
}

TEST(SerialPtyTest, APortInUseIsDeniedUntilItIsReleased) {
    test::PtyPair pty;
    FakeMessageService messages;
    SerialPort first(messages);
    SerialPort second(messages);
    ASSERT_EQ(first.Open(pty.slavePath(), 4800, 0, 8, 1, 0), 0);

    EXPECT_EQ(second.Open(pty.slavePath(), 4800, 0, 8, 1, 0), -1);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, kAccessDenied);
    EXPECT_EQ(messages.boxes()[0].style, kIconStop);
    messages.clear();
    EXPECT_EQ(second.Open(pty.slavePath(), 4800, 0, 8, 1, 1), -1);
    EXPECT_TRUE(messages.boxes().empty());

    // The holder's data stays its own.
    ASSERT_TRUE(pty.write("abc"));
    EXPECT_EQ(readPort(first, 3), "abc");

    EXPECT_EQ(first.Close(), 0);
    EXPECT_EQ(second.Open(pty.slavePath(), 4800, 0, 8, 1, 0), 0);
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(SerialPtyTest, APortHeldByAnotherProgramIsDenied) {
    test::PtyPair pty;
    // Another program that locks the device for its own use, as serial programs do.
    test::ChildProcess holder(
        {"python3", "-c",
         "import fcntl, os, sys, time\n"
         "fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)\n"
         "fcntl.flock(fd, fcntl.LOCK_EX)\n"
         "time.sleep(60)\n",
         pty.slavePath()});
    FakeMessageService messages;
    SerialPort port(messages);
    // Bounded wait for the other program to take the lock.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::open(pty.slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        if (held) {
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(port.Open(pty.slavePath(), 4800, 0, 8, 1, 0), -1);
    ASSERT_EQ(messages.boxes().size(), 1u);
    EXPECT_EQ(messages.boxes()[0].text, kAccessDenied);

    holder.stop();
    messages.clear();
    EXPECT_EQ(port.Open(pty.slavePath(), 4800, 0, 8, 1, 0), 0);
    EXPECT_TRUE(messages.boxes().empty());
}

TEST(SerialPtyTest, ASentenceSplitOverTwoPollsIsDispatchedOnce) {
    test::PtyPair pty;
    FakeMessageService messages;
    SerialPort port(messages);
    ASSERT_EQ(port.Open(pty.slavePath(), 4800, 0, 8, 1, 0), 0);

    GpsState gps;
    gps.portHandle = port.Handle();
    NmeaParser parser(gps);
    FakeSystemClock clock;  // stands still: the watchdog stays out of the way
    NmeaReader reader(gps, parser, clock);

    const std::string sentence =
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    const size_t half = sentence.size() / 2;
    ASSERT_TRUE(pty.write(sentence.substr(0, half)));
    // Poll until the first half has been taken in (the reader is then inside the data field).
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (gps.readerState != 3 && std::chrono::steady_clock::now() < deadline) {
        reader.Poll();
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(gps.readerState, 3);
    EXPECT_EQ(gps.sentenceCount, 0);

    ASSERT_TRUE(pty.write(sentence.substr(half)));
    while (gps.sentenceCount == 0 && std::chrono::steady_clock::now() < deadline) {
        reader.Poll();
        std::this_thread::sleep_for(10ms);
    }
    for (int i = 0; i < 5; ++i) {
        reader.Poll();
    }
    EXPECT_EQ(gps.sentenceCount, 1);
    EXPECT_EQ(gps.utcHour, 12);
    EXPECT_EQ(gps.utcMinute, 35);
    EXPECT_EQ(gps.utcSecond, 19);
    EXPECT_EQ(gps.fixQuality, 1);
    EXPECT_NEAR(gps.latitude, 48.1173, 1e-4);
}

}  // namespace
}  // namespace horalux
