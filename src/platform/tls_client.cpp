#include "platform/tls_client.h"

#include <arpa/inet.h>
#include <gnutls/gnutls.h>
#include <poll.h>

#include <cerrno>
#include <cstdlib>

namespace horalux {

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds until(TlsClient::Deadline deadline) {
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                    std::chrono::milliseconds{0});
}

bool isAddress(const std::string& host) {
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

}  // namespace

struct TlsClient::Session {
    gnutls_certificate_credentials_t credentials = nullptr;
    gnutls_session_t session = nullptr;

    ~Session() {
        if (session != nullptr) {
            gnutls_bye(session, GNUTLS_SHUT_WR);  // once: the socket does not wait
            gnutls_deinit(session);
        }
        if (credentials != nullptr) {
            gnutls_certificate_free_credentials(credentials);
        }
    }
};

TlsClient::TlsClient() = default;
TlsClient::~TlsClient() = default;

const char* describe(TlsClient::Result result) {
    switch (result) {
        case TlsClient::Result::Ok:
            return "ok";
        case TlsClient::Result::Unreachable:
            return "cannot connect";
        case TlsClient::Result::TimedOut:
            return "timed out";
        case TlsClient::Result::CertificateNotTrusted:
            return "certificate not trusted";
        case TlsClient::Result::ProtocolRefused:
            return "protocol refused";
        case TlsClient::Result::Failed:
            return "TLS failure";
    }
    return "?";
}

TlsClient::Result TlsClient::fail(Result result, std::string why) {
    lastError_ = std::move(why);
    return result;
}

TlsClient::Result TlsClient::wait(Deadline deadline) {
    const short events = gnutls_record_get_direction(session_->session) == 1 ? POLLOUT : POLLIN;
    for (;;) {
        const auto left = until(deadline);
        if (left.count() == 0) {
            return fail(Result::TimedOut, "no answer in time");
        }
        pollfd p{tcp_.fd(), events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left.count()));
        if (n > 0) {
            return Result::Ok;
        }
        if (n < 0 && errno != EINTR) {
            return fail(Result::Failed, "poll failed");
        }
    }
}

TlsClient::Result TlsClient::connect(const std::string& host,
                                     const std::vector<SocketAddress>& addresses,
                                     const std::string& alpn, Deadline deadline) {
    session_.reset();
    switch (tcp_.connect(addresses, until(deadline))) {
        case TcpStream::Connect::Connected:
            break;
        case TcpStream::Connect::TimedOut:
            return fail(Result::TimedOut, "connection timed out");
        case TcpStream::Connect::Failed:
            return fail(Result::Unreachable, "cannot connect");
    }

    session_ = std::make_unique<Session>();
    if (gnutls_certificate_allocate_credentials(&session_->credentials) < 0) {
        return fail(Result::Failed, "no TLS credentials");
    }
    gnutls_certificate_set_x509_system_trust(session_->credentials);  // none is not an error
    if (const char* file = std::getenv("HORALUX_NTS_CA_FILE"); file != nullptr && *file != 0) {
        if (gnutls_certificate_set_x509_trust_file(session_->credentials, file,
                                                   GNUTLS_X509_FMT_PEM) < 0) {
            return fail(Result::Failed, std::string("cannot read certificates from ") + file);
        }
    }
    gnutls_session_t s = nullptr;
    if (gnutls_init(&s, GNUTLS_CLIENT | GNUTLS_NONBLOCK | GNUTLS_NO_SIGNAL) < 0) {
        return fail(Result::Failed, "no TLS session");
    }
    session_->session = s;
    gnutls_datum_t protocol{reinterpret_cast<unsigned char*>(const_cast<char*>(alpn.data())),
                            static_cast<unsigned>(alpn.size())};
    if (gnutls_priority_set_direct(s, "NORMAL:-VERS-ALL:+VERS-TLS1.3", nullptr) < 0 ||
        gnutls_credentials_set(s, GNUTLS_CRD_CERTIFICATE, session_->credentials) < 0 ||
        (!isAddress(host) &&
         gnutls_server_name_set(s, GNUTLS_NAME_DNS, host.data(), host.size()) < 0) ||
        gnutls_alpn_set_protocols(s, &protocol, 1, GNUTLS_ALPN_MANDATORY) < 0) {
        return fail(Result::Failed, "cannot set up the TLS session");
    }
    gnutls_session_set_verify_cert(s, host.c_str(), 0);
    gnutls_transport_set_int(s, tcp_.fd());

    for (;;) {
        const int r = gnutls_handshake(s);
        if (r == GNUTLS_E_SUCCESS) {
            break;
        }
        if (r == GNUTLS_E_AGAIN || r == GNUTLS_E_INTERRUPTED) {
            if (const Result w = wait(deadline); w != Result::Ok) {
                return w;
            }
            continue;
        }
        if (r == GNUTLS_E_CERTIFICATE_VERIFICATION_ERROR || r == GNUTLS_E_CERTIFICATE_ERROR) {
            gnutls_datum_t text{};
            std::string why = "certificate not trusted";
            if (gnutls_certificate_verification_status_print(
                    gnutls_session_get_verify_cert_status(s), GNUTLS_CRT_X509, &text, 0) == 0) {
                why += std::string(": ") + reinterpret_cast<const char*>(text.data);
                gnutls_free(text.data);
            }
            return fail(Result::CertificateNotTrusted, why);
        }
        if (r == GNUTLS_E_NO_APPLICATION_PROTOCOL) {
            return fail(Result::ProtocolRefused, "the server does not speak " + alpn);
        }
        if (gnutls_error_is_fatal(r) != 0) {
            return fail(Result::Failed, std::string("TLS handshake: ") + gnutls_strerror(r));
        }
    }
    gnutls_datum_t selected{};
    if (gnutls_alpn_get_selected_protocol(s, &selected) < 0 ||
        std::string(reinterpret_cast<const char*>(selected.data), selected.size) != alpn) {
        return fail(Result::ProtocolRefused, "the server does not speak " + alpn);
    }
    return Result::Ok;
}

TlsClient::Result TlsClient::send(const uint8_t* data, size_t size, Deadline deadline) {
    if (!session_) {
        return fail(Result::Failed, "not connected");
    }
    while (size > 0) {
        const ssize_t n = gnutls_record_send(session_->session, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
        } else if (n == GNUTLS_E_AGAIN || n == GNUTLS_E_INTERRUPTED) {
            if (const Result w = wait(deadline); w != Result::Ok) {
                return w;
            }
        } else {
            return fail(Result::Failed,
                        std::string("TLS send: ") + gnutls_strerror(static_cast<int>(n)));
        }
    }
    return Result::Ok;
}

TlsClient::Result TlsClient::receive(uint8_t* buffer, size_t capacity, size_t& received,
                                     Deadline deadline) {
    received = 0;
    if (!session_) {
        return fail(Result::Failed, "not connected");
    }
    for (;;) {
        const ssize_t n = gnutls_record_recv(session_->session, buffer, capacity);
        if (n > 0) {
            received = static_cast<size_t>(n);
            return Result::Ok;
        }
        if (n == 0 || n == GNUTLS_E_PREMATURE_TERMINATION) {
            return Result::Ok;  // closed
        }
        if (n == GNUTLS_E_AGAIN || n == GNUTLS_E_INTERRUPTED) {
            if (const Result w = wait(deadline); w != Result::Ok) {
                return w;
            }
            continue;
        }
        return fail(Result::Failed,
                    std::string("TLS receive: ") + gnutls_strerror(static_cast<int>(n)));
    }
}

bool TlsClient::exportKeyingMaterial(const std::string& label, const std::vector<uint8_t>& context,
                                     uint8_t* out, size_t size) {
    return session_ &&
           gnutls_prf_rfc5705(session_->session, label.size(), label.data(), context.size(),
                              reinterpret_cast<const char*>(context.data()), size,
                              reinterpret_cast<char*>(out)) == 0;
}

}  // namespace horalux
