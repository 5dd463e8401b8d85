#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gps/serial_input.h"
#include "platform/message_service.h"
#include "platform/serial_device.h"
#include "platform/settings_store.h"

namespace horalux {

// The serial port the GPS receiver is attached to: opens and configures it (telling the user
// what went wrong unless asked to be quiet), hands the sentence reader what has arrived, and
// closes it.
//
// A receiver that goes away while open (a USB receiver unplugged: hang-up or read error) is
// closed once and then looked for again, quietly, about once a second, on the same device name;
// when it is back, reads resume. The same quiet search follows an Open whose device could not be
// opened at all (absent or held by another program), so a receiver plugged in after start-up, or
// released by the other program, is picked up without the user's help. An Open that reached the
// device but could not configure it is not retried. Close ends the search.
//
// Used on the user-interface thread only.
class SerialPort final : public SerialInput {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kReopenInterval{1000};
    static constexpr std::chrono::milliseconds kCloseSettle{100};

    explicit SerialPort(MessageService& messages, std::unique_ptr<SerialDevice> device = nullptr,
                        std::function<Clock::time_point()> now = Clock::now);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The device a port setting names: the device path when one is set (not blank), else the
    // numbered port n as /dev/ttyS(n-1).
    static std::string DeviceName(int port, const std::string& device);

    // Opens and configures a port: 0 on success, -1 on failure. Unless quiet is non-zero the
    // failure is shown in a message box. Parity 0 none, 1 odd, 2 even, 3 mark, 4 space; data
    // bits 5 to 8; stop bits 1 or 2. A port that was open is closed first.
    int Open(const std::string& deviceName, int baud, int parity, int dataBits, int stopBits,
             int quiet);
    int Open(int port, int baud, int parity, int dataBits, int stopBits, int quiet);
    // Opens the port the store names ("Port", "Baud" and "Device" of the serial section) with no
    // parity, 8 data bits and 1 stop bit.
    int OpenFromSettings(const SettingsStore& store, int quiet = 0);
    // Changes the speed of the open port, quietly (the speed search tries one after another); a
    // lost port is looked for again at the new speed. True when the device took it.
    bool SetSpeed(int baud);
    // The line speed the port is opened (or looked for) at.
    int baud() const { return settings_.baud; }
    // Closes the port and stops looking for a lost one, then lets the line settle for 100 ms.
    // Returns 0 when a port was released, -1 when the close failed or no port was open.
    int Close();

    // The sentence reader's input: what has arrived, never waiting. Returns 0 while no port is
    // open; while a lost port is being looked for, tries to reopen it once a second.
    size_t readAvailable(uint8_t* buffer, size_t capacity) override;

    // What GpsState.portHandle should hold: this port while it is open or being looked for
    // again, null when no port is in use.
    SerialInput* Handle() { return active_ ? this : nullptr; }
    bool IsOpen() const;  // the device is open right now
    bool IsLost() const;  // in use, but gone: being looked for again
    // The descriptor of the open device, for waiting until bytes arrive; -1 while no device is
    // open (none in use, or a lost one being looked for). It goes when a read finds the device
    // gone, so a caller watching it checks again after every read.
    int nativeHandle() const;
    // Counts the device's successful opens (Open and the quiet reopening of a lost one): a
    // reopened device may get the number its predecessor had, and this tells the two apart.
    uint64_t openGeneration() const { return openGeneration_; }
    const std::string& deviceName() const { return deviceName_; }
    // Called at the end of every Open and Close (none: nobody is told), so that whoever waits on
    // nativeHandle() follows at once: a descriptor that Close has ended must not be waited on.
    void setChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }
    int reopenAttempts() const { return reopenAttempts_; }  // since the last Open

  private:
    void report(const SerialOpenResult& result, int quiet);
    void notifyChange();
    void tryReopen();

    MessageService& messages_;
    std::unique_ptr<SerialDevice> device_;
    std::function<Clock::time_point()> now_;

    bool active_ = false;  // opened (or looked for) and not closed since
    std::string deviceName_;
    SerialLineSettings settings_{};
    Clock::time_point lastAttempt_{};
    int reopenAttempts_ = 0;
    uint64_t openGeneration_ = 0;
    std::function<void()> changed_;
};

}  // namespace horalux
