#include "support/loopback_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace horalux::test {

namespace {

// A socket of the given type bound to address and an ephemeral port (or the given one).
int boundSocket(const std::string& address, int type, uint16_t port = 0) {
    sockaddr_storage storage{};
    socklen_t size = 0;
    int family = AF_INET;
    if (address.find(':') != std::string::npos) {
        family = AF_INET6;
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        if (::inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr) != 1) {
            return -1;
        }
        size = sizeof *in6;
    } else {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        if (::inet_pton(AF_INET, address.c_str(), &in->sin_addr) != 1) {
            return -1;
        }
        size = sizeof *in;
    }
    const int fd = ::socket(family, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), size) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

uint16_t localPort(int fd) {
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &size) != 0) {
        return 0;
    }
    if (storage.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
    }
    return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

// Waits up to 20 ms for fd to become readable.
bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 20) == 1;
}

}  // namespace

bool ipv6LoopbackAvailable() {
    const int fd = boundSocket("::1", SOCK_DGRAM);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

uint16_t unusedTcpPort() {
    const int fd = boundSocket("127.0.0.1", SOCK_STREAM);
    const uint16_t port = fd < 0 ? 0 : localPort(fd);
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

UdpTestServer::~UdpTestServer() {
    stop();
}

bool UdpTestServer::start(const std::string& address, Handler handler) {
    stop();
    fd_ = boundSocket(address, SOCK_DGRAM);
    otherPortFd_ = boundSocket(address, SOCK_DGRAM);
    if (address == "127.0.0.1") {
        otherAddressFd_ = boundSocket("127.0.0.2", SOCK_DGRAM);
    }
    if (fd_ < 0 || otherPortFd_ < 0) {
        stop();
        return false;
    }
    port_ = localPort(fd_);
    handler_ = std::move(handler);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void UdpTestServer::stop() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int* fd : {&fd_, &otherPortFd_, &otherAddressFd_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void UdpTestServer::run() {
    while (!stopping_) {
        if (!readable(fd_)) {
            continue;
        }
        std::vector<uint8_t> request(2048);
        sockaddr_storage client{};
        socklen_t size = sizeof client;
        const ssize_t n = ::recvfrom(fd_, request.data(), request.size(), 0,
                                     reinterpret_cast<sockaddr*>(&client), &size);
        if (n < 0) {
            continue;
        }
        request.resize(static_cast<size_t>(n));
        ++requests_;
        for (const UdpReply& reply : handler_(request)) {
            if (reply.delay.count() > 0) {
                std::this_thread::sleep_for(reply.delay);
            }
            const int from = reply.from == UdpReply::From::OtherPort      ? otherPortFd_
                             : reply.from == UdpReply::From::OtherAddress ? otherAddressFd_
                                                                          : fd_;
            if (from >= 0) {
                ::sendto(from, reply.bytes.data(), reply.bytes.size(), 0,
                         reinterpret_cast<sockaddr*>(&client), size);
            }
        }
    }
}

UdpRelay::~UdpRelay() {
    stop();
}

bool UdpRelay::start(const std::string& address, uint16_t port, const std::string& serverAddress,
                     uint16_t serverPort, Edit edit) {
    stop();
    fd_ = boundSocket(address, SOCK_DGRAM, port);
    upstream_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(serverPort);
    if (fd_ < 0 || upstream_ < 0 ||
        ::inet_pton(AF_INET, serverAddress.c_str(), &server.sin_addr) != 1 ||
        ::connect(upstream_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        stop();
        return false;
    }
    edit_ = std::move(edit);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void UdpRelay::stop() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int* fd : {&fd_, &upstream_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void UdpRelay::run() {
    sockaddr_storage client{};
    socklen_t clientSize = 0;
    std::vector<uint8_t> buffer(2048);
    while (!stopping_) {
        pollfd p[2] = {{fd_, POLLIN, 0}, {upstream_, POLLIN, 0}};
        if (::poll(p, 2, 20) <= 0) {
            continue;
        }
        if ((p[0].revents & POLLIN) != 0) {
            clientSize = sizeof client;
            const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr*>(&client), &clientSize);
            if (n > 0) {
                ::send(upstream_, buffer.data(), static_cast<size_t>(n), 0);
            }
        }
        if ((p[1].revents & POLLIN) != 0) {
            const ssize_t n = ::recv(upstream_, buffer.data(), buffer.size(), 0);
            if (n > 0 && clientSize > 0) {
                std::vector<uint8_t> reply(buffer.begin(), buffer.begin() + n);
                edit_(reply);
                ++replies_;
                ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&client),
                         clientSize);
            }
        }
    }
}

TcpTestServer::~TcpTestServer() {
    stop();
}

bool TcpTestServer::start(const std::string& address, Handler handler) {
    stop();
    fd_ = boundSocket(address, SOCK_STREAM);
    if (fd_ < 0 || ::listen(fd_, 8) != 0) {
        stop();
        return false;
    }
    port_ = localPort(fd_);
    handler_ = std::move(handler);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void TcpTestServer::stop() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

void TcpTestServer::run() {
    while (!stopping_) {
        if (!readable(fd_)) {
            continue;
        }
        const int connection = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        ++connections_;
        handler_(connection, stopping_);
        ::close(connection);
    }
}

TcpTestServer::Handler TcpTestServer::sends(std::string text) {
    return [text](int connection, const std::atomic<bool>&) {
        ::send(connection, text.data(), text.size(), MSG_NOSIGNAL);
    };
}

TcpTestServer::Handler TcpTestServer::staysSilent() {
    return [](int, const std::atomic<bool>& stopping) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!stopping && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
}

TcpTestServer::Handler TcpTestServer::closesAtOnce() {
    return [](int, const std::atomic<bool>&) {};
}

}  // namespace horalux::test
