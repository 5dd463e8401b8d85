#include "sync/nts_key_exchange.h"

#include <array>
#include <vector>

#include "platform/net_socket.h"

namespace horalux {

namespace {

constexpr const char* kExporterLabel = "EXPORTER-network-time-security";

// The exporter's context: the next protocol (NTPv4), the AEAD algorithm, and 0 for the key
// that seals the client's requests or 1 for the server's replies.
std::vector<uint8_t> exporterContext(uint8_t direction) {
    return {0, ntske::kProtocolNtpV4, 0, ntske::kAeadAesSivCmac256, direction};
}

NtsKeyExchangeResult failed(TlsClient::Result transport, std::string detail) {
    NtsKeyExchangeResult r;
    r.transport = transport;
    r.detail = std::move(detail);
    return r;
}

}  // namespace

NtsKeyExchangeResult runNtsKeyExchange(const ServerName& server,
                                       std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::string where = server.host + ":" + std::to_string(server.port);
    const auto addresses = resolveHost(server.host, server.port, SocketKind::Stream);
    if (addresses.empty()) {
        return failed(TlsClient::Result::Unreachable, "cannot resolve '" + server.host + "'");
    }
    TlsClient tls;
    TlsClient::Result r = tls.connect(server.host, addresses, kNtsAlpn, deadline);
    if (r != TlsClient::Result::Ok) {
        return failed(r, where + ": " + tls.lastError());
    }
    const std::vector<uint8_t> request = encodeNtsKeRequest();
    r = tls.send(request.data(), request.size(), deadline);
    if (r != TlsClient::Result::Ok) {
        return failed(r, where + ": " + tls.lastError());
    }

    std::vector<uint8_t> response;
    std::array<uint8_t, 4096> buffer{};
    NtsKeResponse parsed;
    for (;;) {
        size_t received = 0;
        r = tls.receive(buffer.data(), buffer.size(), received, deadline);
        if (r != TlsClient::Result::Ok) {
            return failed(r, where + ": " + tls.lastError());
        }
        response.insert(response.end(), buffer.begin(), buffer.begin() + received);
        parsed = parseNtsKeResponse(response.data(), response.size());
        if (parsed.state != NtsKeResponse::State::Incomplete) {
            break;
        }
        if (received == 0) {
            return failed(TlsClient::Result::Failed, where + ": the response ends early");
        }
    }
    for (uint8_t& byte : response) {
        byte = 0;  // it held the cookies
    }
    if (parsed.state == NtsKeResponse::State::Refused) {
        NtsKeyExchangeResult refused;
        refused.refusal = parsed.refusal;
        refused.detail = where + ": " + describe(parsed.refusal);
        if (parsed.refusal == NtsKeRefusal::ErrorRecord ||
            parsed.refusal == NtsKeRefusal::WarningRecord) {
            refused.detail += " (code " + std::to_string(parsed.errorCode) + ")";
        }
        return refused;
    }

    NtsAssociation association;
    if (!tls.exportKeyingMaterial(kExporterLabel, exporterContext(0), association.clientKey.data(),
                                  association.clientKey.size()) ||
        !tls.exportKeyingMaterial(kExporterLabel, exporterContext(1), association.serverKey.data(),
                                  association.serverKey.size())) {
        return failed(TlsClient::Result::Failed, where + ": no keys from the TLS session");
    }
    association.ntpHost = parsed.server.empty() ? server.host : parsed.server;
    association.ntpPort = parsed.port.value_or(SntpClient::kSntpPort);
    for (std::vector<uint8_t>& cookie : parsed.cookies) {
        association.cookies.add(std::move(cookie));
    }
    NtsKeyExchangeResult done;
    done.association = std::move(association);
    return done;
}

}  // namespace horalux
