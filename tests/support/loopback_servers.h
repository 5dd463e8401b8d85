#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace horalux::test {

// True when the IPv6 loopback address ::1 can be used here.
bool ipv6LoopbackAvailable();

// A port on 127.0.0.1 with nothing listening (TCP) at the moment.
uint16_t unusedTcpPort();

// One datagram a UDP test server sends back.
struct UdpReply {
    enum class From {
        Server,        // the socket that was asked
        OtherPort,     // another socket on the same address
        OtherAddress,  // a socket on 127.0.0.2 (IPv4 servers only)
    };
    std::vector<uint8_t> bytes;
    From from = From::Server;
    std::chrono::milliseconds delay{0};  // waited before this reply is sent
};

// A UDP server on a loopback address, answering every datagram on a thread of its own with
// whatever the handler returns (nothing: no answer).
class UdpTestServer {
  public:
    using Handler = std::function<std::vector<UdpReply>(const std::vector<uint8_t>& request)>;

    UdpTestServer() = default;
    ~UdpTestServer();
    UdpTestServer(const UdpTestServer&) = delete;
    UdpTestServer& operator=(const UdpTestServer&) = delete;

    // address: "127.0.0.1" or "::1". False when the socket cannot be bound.
    bool start(const std::string& address, Handler handler);
    void stop();

    uint16_t port() const { return port_; }
    int requests() const { return requests_; }

  private:
    void run();

    int fd_ = -1;
    int otherPortFd_ = -1;
    int otherAddressFd_ = -1;
    uint16_t port_ = 0;
    Handler handler_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// A UDP relay on a loopback address and port: passes each datagram on to a server and the
// server's replies back, each reply through edit first.
class UdpRelay {
  public:
    using Edit = std::function<void(std::vector<uint8_t>& reply)>;

    UdpRelay() = default;
    ~UdpRelay();
    UdpRelay(const UdpRelay&) = delete;
    UdpRelay& operator=(const UdpRelay&) = delete;

    // IPv4 addresses. False when either socket cannot be made.
    bool start(const std::string& address, uint16_t port, const std::string& serverAddress,
               uint16_t serverPort, Edit edit);
    void stop();
    int replies() const { return replies_; }

  private:
    void run();

    int fd_ = -1;
    int upstream_ = -1;
    Edit edit_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> replies_{0};
    std::thread thread_;
};

// A TCP server on a loopback address handing each accepted connection to the handler on its
// thread, then closing it. The handler must return soon after stopping() turns true.
class TcpTestServer {
  public:
    using Handler = std::function<void(int connection, const std::atomic<bool>& stopping)>;

    TcpTestServer() = default;
    ~TcpTestServer();
    TcpTestServer(const TcpTestServer&) = delete;
    TcpTestServer& operator=(const TcpTestServer&) = delete;

    bool start(const std::string& address, Handler handler);
    void stop();

    uint16_t port() const { return port_; }
    int connections() const { return connections_; }

    // Handlers: send text in one piece and close; accept and say nothing until stopped (at
    // most 20 s); close at once.
    static Handler sends(std::string text);
    static Handler staysSilent();
    static Handler closesAtOnce();

  private:
    void run();

    int fd_ = -1;
    uint16_t port_ = 0;
    Handler handler_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

}  // namespace horalux::test
