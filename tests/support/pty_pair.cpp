#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace horalux::test {

PtyPair::PtyPair() {
    int slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master_, &slave, name, &raw, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    slavePath_ = name;
    ::close(slave);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    closeMaster();
}

bool PtyPair::write(std::string_view bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR) &&
            std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 50);
            continue;
        }
        return false;
    }
    return true;
}

std::string PtyPair::read(std::chrono::milliseconds timeout, size_t until) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < until) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, until - out.size()));
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EIO) {
            // Nobody has the slave open (yet, or any more): wait for the time that is left.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return out;
}

void PtyPair::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void pointLink(const std::string& link, const std::string& target) {
    const std::string temporary = link + ".new";
    std::filesystem::remove(temporary);
    std::filesystem::create_symlink(target, temporary);
    std::filesystem::rename(temporary, link);
}

}  // namespace horalux::test
