#include "platform/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

#include <utility>

namespace horalux {

namespace {

struct SpeedEntry {
    int baud;
    speed_t constant;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

std::optional<tcflag_t> dataBitsFlag(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return std::nullopt;
    }
}

std::optional<tcflag_t> parityFlags(int parity) {
    switch (parity) {
        case 0:
            return tcflag_t{0};
        case 1:
            return tcflag_t{PARENB | PARODD};
        case 2:
            return tcflag_t{PARENB};
        case 3:
            return tcflag_t{PARENB | CMSPAR | PARODD};  // mark
        case 4:
            return tcflag_t{PARENB | CMSPAR};  // space
        default:
            return std::nullopt;
    }
}

std::optional<tcflag_t> stopBitsFlag(int stopBits) {
    switch (stopBits) {
        case 1:
            return tcflag_t{0};
        case 2:
            return tcflag_t{CSTOPB};
        default:
            return std::nullopt;
    }
}

// Closes fd and hands back the error of the step that failed.
SerialOpenResult fail(int fd, SerialOpenStep step, int error) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    return {step, error};
}

}  // namespace

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

std::optional<unsigned> PosixSerialDevice::speedConstant(int baud) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.baud == baud) {
            return entry.constant;
        }
    }
    return std::nullopt;
}

SerialOpenResult PosixSerialDevice::open(const std::string& path,
                                         const SerialLineSettings& settings) {
    close();

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {SerialOpenStep::Open, errno};
    }
    // Another program of ours (or any program that locks its ports) holding the device.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return {SerialOpenStep::Open, error};
    }

    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return fail(fd, SerialOpenStep::GetState, errno);
    }
    // Keeps other openers out while we hold it (root excepted; the lock above covers that).
    ::ioctl(fd, TIOCEXCL);

    const auto speed = speedConstant(settings.baud);
    const auto size = dataBitsFlag(settings.dataBits);
    const auto parity = parityFlags(settings.parity);
    const auto stop = stopBitsFlag(settings.stopBits);
    if (!speed || !size || !parity || !stop) {
        return fail(fd, SerialOpenStep::SetState, EINVAL);
    }

    ::cfmakeraw(&tio);
    if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0) {
        return fail(fd, SerialOpenStep::SetState, errno);
    }
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= *size | *parity | *stop | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return fail(fd, SerialOpenStep::SetState, errno);
    }

    // DTR and RTS held on. Pseudo-terminals have no modem lines, so the result is not checked.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    // A pseudo-terminal keeps what was written while nobody had it open: start afresh.
    ::tcflush(fd, TCIFLUSH);

    fd_ = fd;
    return {};
}

SerialReadResult PosixSerialDevice::read(uint8_t* buffer, size_t capacity) {
    if (fd_ < 0 || capacity == 0) {
        return {};
    }
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) {
        if (errno == EINTR || errno == EAGAIN) {
            return {};
        }
        const int error = errno;
        release();
        return {0, true, error};
    }
    if ((p.revents & POLLNVAL) != 0) {
        release();
        return {0, true, EBADF};
    }
    if ((p.revents & POLLIN) != 0) {
        const ssize_t got = ::read(fd_, buffer, capacity);
        if (got > 0) {
            return {static_cast<size_t>(got), false, 0};
        }
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                return {};
            }
            const int error = errno;
            release();
            return {0, true, error};
        }
    }
    if ((p.revents & (POLLHUP | POLLERR)) != 0) {
        release();
        return {0, true, 0};
    }
    return {};
}

bool PosixSerialDevice::setSpeed(int baud) {
    const auto speed = speedConstant(baud);
    termios tio{};
    if (fd_ < 0 || !speed || ::tcgetattr(fd_, &tio) != 0) {
        return false;
    }
    if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        return false;
    }
    // What arrived at the old speed would only be taken for garbage at the new one.
    ::tcflush(fd_, TCIFLUSH);
    return true;
}

void PosixSerialDevice::release() {
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
}

int PosixSerialDevice::close() {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    const int fd = std::exchange(fd_, -1);
    // The exclusive flag belongs to the terminal, not to this descriptor: clear it, or a
    // pseudo-terminal would stay closed to non-root openers after we let it go.
    ::ioctl(fd, TIOCNXCL);
    return ::close(fd);
}

std::unique_ptr<SerialDevice> makePosixSerialDevice() {
    return std::make_unique<PosixSerialDevice>();
}

}  // namespace horalux
