#include "platform/net_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/uio.h>

#include <ctime>

#include <cerrno>
#include <cstring>
#include <memory>

namespace horalux {

namespace {

using Clock = std::chrono::steady_clock;

enum class PollResult { Ready, TimedOut, Failed };

// Waits for events on fd until deadline, across interruptions by signals. Ready also covers an
// error or hang-up on the socket: the call that follows reports it.
PollResult pollUntil(int fd, short events, Clock::time_point deadline, int& error) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (n > 0) {
            return PollResult::Ready;
        }
        if (n == 0) {
            if (left <= 0) {
                return PollResult::TimedOut;
            }
            continue;  // woke a little early: wait out the rest
        }
        if (errno != EINTR) {
            error = errno;
            return PollResult::Failed;
        }
    }
}

int openSocket(const SocketAddress& address, int type) {
    return ::socket(address.family(), type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

}  // namespace

std::string SocketAddress::text() const {
    char host[INET6_ADDRSTRLEN] = {};
    if (family() == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&storage);
        ::inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
        return std::string(host) + ":" + std::to_string(ntohs(in->sin_port));
    }
    if (family() == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&storage);
        ::inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
        return "[" + std::string(host) + "]:" + std::to_string(ntohs(in6->sin6_port));
    }
    return "?";
}

std::vector<SocketAddress> resolveHost(const std::string& host, uint16_t port, SocketKind kind) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = kind == SocketKind::Stream ? SOCK_STREAM : SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    std::vector<SocketAddress> addresses;
    if (host.empty() || ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list) != 0) {
        return addresses;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(list, ::freeaddrinfo);
    for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) ||
            a->ai_addrlen > sizeof(sockaddr_storage)) {
            continue;
        }
        SocketAddress address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        addresses.push_back(address);
    }
    return addresses;
}

bool UdpSocket::connect(const SocketAddress& peer) {
    fd_.reset(openSocket(peer, SOCK_DGRAM));
    if (!fd_.valid()) {
        lastError_ = errno;
        return false;
    }
    if (::connect(fd_.get(), reinterpret_cast<const sockaddr*>(&peer.storage), peer.length) != 0) {
        lastError_ = errno;
        fd_.reset();
        return false;
    }
    // Time stamps on arrival, so that a receiver busy elsewhere still knows when a reply came.
    const int on = 1;
    ::setsockopt(fd_.get(), SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    return true;
}

bool UdpSocket::send(const void* data, size_t size) {
    const ssize_t sent = ::send(fd_.get(), data, size, MSG_NOSIGNAL);
    if (sent != static_cast<ssize_t>(size)) {
        lastError_ = sent < 0 ? errno : EMSGSIZE;
        return false;
    }
    return true;
}

UdpSocket::Wait UdpSocket::waitReadable(std::chrono::milliseconds timeout) {
    switch (pollUntil(fd_.get(), POLLIN, Clock::now() + timeout, lastError_)) {
        case PollResult::Ready:
            return Wait::Readable;
        case PollResult::TimedOut:
            return Wait::TimedOut;
        case PollResult::Failed:
            break;
    }
    return Wait::Failed;
}

ssize_t UdpSocket::receive(void* buffer, size_t capacity, std::chrono::nanoseconds* age) {
    iovec data{buffer, capacity};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd_.get(), &message, MSG_DONTWAIT);
    if (n < 0) {
        lastError_ = errno;
        return n;
    }
    if (age != nullptr) {
        *age = std::chrono::nanoseconds{0};
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec arrived{};
                std::memcpy(&arrived, CMSG_DATA(c), sizeof arrived);
                timespec now{};
                ::clock_gettime(CLOCK_REALTIME, &now);
                *age = std::chrono::seconds(now.tv_sec - arrived.tv_sec) +
                       std::chrono::nanoseconds(now.tv_nsec - arrived.tv_nsec);
            }
        }
    }
    return n;
}

TcpStream::Connect TcpStream::connect(const std::vector<SocketAddress>& addresses,
                                      std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    lastError_ = EHOSTUNREACH;  // when there is no address to try
    for (const SocketAddress& address : addresses) {
        fd_.reset(openSocket(address, SOCK_STREAM));
        if (!fd_.valid()) {
            lastError_ = errno;
            continue;
        }
        if (::connect(fd_.get(), reinterpret_cast<const sockaddr*>(&address.storage),
                      address.length) == 0) {
            return Connect::Connected;
        }
        if (errno != EINPROGRESS) {
            lastError_ = errno;
            continue;
        }
        switch (pollUntil(fd_.get(), POLLOUT, deadline, lastError_)) {
            case PollResult::TimedOut:
                fd_.reset();
                lastError_ = ETIMEDOUT;
                return Connect::TimedOut;
            case PollResult::Failed:
                continue;
            case PollResult::Ready:
                break;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd_.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            error = errno;
        }
        if (error == 0) {
            return Connect::Connected;
        }
        lastError_ = error;
    }
    fd_.reset();
    return Connect::Failed;
}

TcpStream::Receive TcpStream::receive(void* buffer, size_t capacity, size_t& received,
                                      std::chrono::milliseconds timeout) {
    received = 0;
    if (!fd_.valid()) {
        lastError_ = ENOTCONN;
        return Receive::Failed;
    }
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        switch (pollUntil(fd_.get(), POLLIN, deadline, lastError_)) {
            case PollResult::TimedOut:
                lastError_ = ETIMEDOUT;
                return Receive::TimedOut;
            case PollResult::Failed:
                return Receive::Failed;
            case PollResult::Ready:
                break;
        }
        const ssize_t n = ::recv(fd_.get(), buffer, capacity, MSG_DONTWAIT);
        if (n > 0) {
            received = static_cast<size_t>(n);
            return Receive::Data;
        }
        if (n == 0) {
            return Receive::Closed;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            lastError_ = errno;
            return Receive::Failed;
        }
    }
}

}  // namespace horalux
