#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/net_socket.h"

namespace horalux {

// A TLS 1.3 client connection (GnuTLS) for one short exchange, every step bounded by a deadline.
// The server's certificate must chain to the system's trusted certificates, or to those in the
// file named by HORALUX_NTS_CA_FILE (PEM), and name the host asked for.
class TlsClient {
  public:
    using Deadline = std::chrono::steady_clock::time_point;

    enum class Result {
        Ok,
        Unreachable,            // no address accepted the connection
        TimedOut,               // the deadline passed
        CertificateNotTrusted,  // the certificate does not verify or names another host
        ProtocolRefused,        // the server does not speak the application protocol asked for
        Failed,                 // any other TLS or socket failure
    };

    TlsClient();
    ~TlsClient();
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    // Connects to host (whose certificate must name it) at one of addresses and completes the
    // handshake with the ALPN protocol alpn.
    Result connect(const std::string& host, const std::vector<SocketAddress>& addresses,
                   const std::string& alpn, Deadline deadline);
    // Sends all of data.
    Result send(const uint8_t* data, size_t size, Deadline deadline);
    // Receives some bytes (received > 0), or learns that the server closed (Ok, received 0).
    Result receive(uint8_t* buffer, size_t capacity, size_t& received, Deadline deadline);
    // Keying material exported from the session (RFC 5705).
    bool exportKeyingMaterial(const std::string& label, const std::vector<uint8_t>& context,
                              uint8_t* out, size_t size);
    // What went wrong last, in words.
    const std::string& lastError() const { return lastError_; }

  private:
    struct Session;
    Result wait(Deadline deadline);
    Result fail(Result result, std::string why);

    TcpStream tcp_;
    std::unique_ptr<Session> session_;
    std::string lastError_;
};

const char* describe(TlsClient::Result result);

}  // namespace horalux
