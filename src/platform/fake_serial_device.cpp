#include "platform/fake_serial_device.h"

namespace horalux {

SerialOpenResult FakeSerialDevice::open(const std::string& path,
                                        const SerialLineSettings& settings) {
    if (open_) {
        close();
    }
    opens_.push_back(path);
    lastSettings_ = settings;
    if (!openResult_.ok()) {
        return openResult_;
    }
    open_ = true;
    hangUpPending_ = false;
    input_.clear();  // like a real port: what came before the open is dropped
    return {};
}

SerialReadResult FakeSerialDevice::read(uint8_t* buffer, size_t capacity) {
    ++reads_;
    if (!open_) {
        return {};
    }
    if (hangUpPending_) {
        hangUpPending_ = false;
        open_ = false;
        input_.clear();
        return {0, true, hangUpError_};
    }
    size_t n = 0;
    while (n < capacity && !input_.empty()) {
        buffer[n++] = input_.front();
        input_.pop_front();
    }
    return {n, false, 0};
}

bool FakeSerialDevice::setSpeed(int baud) {
    if (!open_) {
        return false;
    }
    speedChanges_.push_back(baud);
    lastSettings_.baud = baud;
    input_.clear();
    return true;
}

int FakeSerialDevice::close() {
    if (!open_) {
        return -1;
    }
    open_ = false;
    ++closes_;
    return closeResult_;
}

void FakeSerialDevice::receive(const std::string& bytes) {
    if (open_) {
        input_.insert(input_.end(), bytes.begin(), bytes.end());
    }
}

void FakeSerialDevice::hangUp(int error) {
    hangUpPending_ = true;
    hangUpError_ = error;
}

}  // namespace horalux
