#pragma once

#include <sys/socket.h>
#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace horalux {

// One address a host name resolved to, ready to connect to.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    std::string text() const;  // "127.0.0.1:123", "[::1]:123"
};

enum class SocketKind { Datagram, Stream };

// Every address (IPv4 and IPv6, in the resolver's order of preference) that host resolves to
// for the given port; empty when the name does not resolve. A dotted or IPv6 address is taken
// as it is. The lookup may block for as long as the system resolver's own time-outs.
std::vector<SocketAddress> resolveHost(const std::string& host, uint16_t port, SocketKind kind);

// A UDP socket connected to one peer: the system passes on datagrams from that peer only.
class UdpSocket {
  public:
    enum class Wait { Readable, TimedOut, Failed };

    // False (and lastError() set) when no socket could be made or connected.
    bool connect(const SocketAddress& peer);
    bool send(const void* data, size_t size);
    // Waits until a datagram (or an error reported by the peer's host) is waiting.
    Wait waitReadable(std::chrono::milliseconds timeout);
    // Receives one datagram without waiting: its length, or -1 with lastError() set
    // (ECONNREFUSED when nothing listens on the peer's port, EAGAIN when nothing is waiting).
    // When age is given it receives how long ago the system took the datagram in, by the
    // system's own time stamp (zero when there is none).
    ssize_t receive(void* buffer, size_t capacity, std::chrono::nanoseconds* age = nullptr);
    int lastError() const { return lastError_; }

  private:
    UniqueFd fd_;
    int lastError_ = 0;
};

// A TCP connection whose connect and receive each wait a bounded time.
class TcpStream {
  public:
    enum class Connect { Connected, Failed, TimedOut };
    enum class Receive { Data, Closed, TimedOut, Failed };

    // Tries each address in turn until one accepts; all attempts together end after timeout.
    Connect connect(const std::vector<SocketAddress>& addresses, std::chrono::milliseconds timeout);
    // One receive of at most capacity bytes, waiting at most timeout for the first of them.
    // received holds the byte count when the result is Data.
    Receive receive(void* buffer, size_t capacity, size_t& received,
                    std::chrono::milliseconds timeout);
    int lastError() const { return lastError_; }
    // The connected socket (non-blocking), for a protocol layered on it; -1 when none.
    int fd() const { return fd_.get(); }

  private:
    UniqueFd fd_;
    int lastError_ = 0;
};

}  // namespace horalux
