#include "gps/serial_port.h"

#include <cerrno>
#include <thread>

#include "app/settings_keys.h"
#include "platform/posix_serial_device.h"

namespace horalux {

namespace {

const char* const kInUse =
    "\n\n The communications port may be in use at this time. Please choose another port or "
    "close the application using the desired port.";

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

SerialPort::SerialPort(MessageService& messages, std::unique_ptr<SerialDevice> device,
                       std::function<Clock::time_point()> now)
    : messages_(messages),
      device_(device ? std::move(device) : makePosixSerialDevice()),
      now_(std::move(now)) {}

SerialPort::~SerialPort() {
    active_ = false;
    if (device_->isOpen()) {
        device_->close();
    }
}

std::string SerialPort::DeviceName(int port, const std::string& device) {
    std::string path = trimmed(device);
    if (!path.empty()) {
        return path;
    }
    return "/dev/ttyS" + std::to_string(static_cast<long long>(port) - 1);
}

int SerialPort::Open(int port, int baud, int parity, int dataBits, int stopBits, int quiet) {
    return Open(DeviceName(port, ""), baud, parity, dataBits, stopBits, quiet);
}

int SerialPort::OpenFromSettings(const SettingsStore& store, int quiet) {
    const std::string name = DeviceName(store.read(keys::Port), store.read(keys::Device));
    return Open(name, store.read(keys::Baud), 0, 8, 1, quiet);
}

int SerialPort::Open(const std::string& deviceName, int baud, int parity, int dataBits,
                     int stopBits, int quiet) {
    if (device_->isOpen()) {
        device_->close();
    }
    deviceName_ = deviceName;
    settings_ = {baud, parity, dataBits, stopBits};
    reopenAttempts_ = 0;
    lastAttempt_ = now_();

    const SerialOpenResult result = device_->open(deviceName_, settings_);
    // A device that is absent or busy may come (free) later: keep looking for it quietly. One
    // that is there but refuses the settings will not get better by asking again.
    active_ = result.ok() || result.failedStep == SerialOpenStep::Open;
    if (result.ok()) {
        ++openGeneration_;
    }
    notifyChange();
    if (!result.ok()) {
        report(result, quiet);
        return -1;
    }
    return 0;
}

void SerialPort::notifyChange() {
    if (changed_) {
        changed_();
    }
}

void SerialPort::report(const SerialOpenResult& result, int quiet) {
    if (quiet != 0) {
        return;
    }
    switch (result.failedStep) {
        case SerialOpenStep::None:
            return;
        case SerialOpenStep::Open: {
            std::string text;
            if (result.error == ENOENT || result.error == ENXIO || result.error == ENODEV) {
                text =
                    "Communication Port Not Found!\n\nThe communications port does not exist. "
                    "Check your system configuration on the status of this Communication port";
            } else if (result.error == EACCES || result.error == EPERM || result.error == EBUSY) {
                text = std::string("Access Denied!") + kInUse;
            } else {
                text = "Comm Open Error![" + std::to_string(result.error) + "]" + kInUse;
            }
            messages_.messageBox(text, "", kIconStop);
            return;
        }
        case SerialOpenStep::GetState:
            messages_.beep(kIconStop);
            messages_.messageBox("GetCommState", "Could not get comm state", kIconStop);
            return;
        case SerialOpenStep::SetState:
            messages_.beep(kIconStop);
            messages_.messageBox("SetCommState", "Could not set communication state", kIconStop);
            return;
    }
}

bool SerialPort::SetSpeed(int baud) {
    if (!device_->isOpen() || !device_->setSpeed(baud)) {
        return false;
    }
    settings_.baud = baud;
    return true;
}

int SerialPort::Close() {
    const bool wasActive = active_;
    active_ = false;
    int result = -1;
    if (device_->isOpen()) {
        result = device_->close();
    } else if (wasActive) {
        result = 0;  // a lost port: its descriptor went when it was lost
    }
    notifyChange();
    std::this_thread::sleep_for(kCloseSettle);
    return result;
}

bool SerialPort::IsOpen() const {
    return device_->isOpen();
}

int SerialPort::nativeHandle() const {
    return device_->isOpen() ? device_->nativeHandle() : -1;
}

bool SerialPort::IsLost() const {
    return active_ && !device_->isOpen();
}

size_t SerialPort::readAvailable(uint8_t* buffer, size_t capacity) {
    if (!active_) {
        return 0;
    }
    if (!device_->isOpen()) {
        tryReopen();
        if (!device_->isOpen()) {
            return 0;
        }
    }
    const SerialReadResult result = device_->read(buffer, capacity);
    if (result.lost) {
        // The device has closed itself; look for it again a second from now.
        lastAttempt_ = now_();
    }
    return result.bytes;
}

void SerialPort::tryReopen() {
    const Clock::time_point now = now_();
    if (now - lastAttempt_ < kReopenInterval) {
        return;
    }
    lastAttempt_ = now;
    ++reopenAttempts_;
    if (device_->open(deviceName_, settings_).ok()) {
        ++openGeneration_;
    }
}

}  // namespace horalux
