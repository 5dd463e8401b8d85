#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/server_name.h"
#include "platform/tls_client.h"
#include "sync/nts_ke_records.h"
#include "sync/nts_session.h"

namespace horalux {

inline constexpr uint16_t kNtsKeyExchangePort = 4460;
inline constexpr const char* kNtsAlpn = "ntske/1";
inline constexpr std::chrono::milliseconds kNtsKeyExchangeTimeout{5000};

// How a key exchange ended: an association, or where it failed (the TLS connection, or the
// response's records) and why in words.
struct NtsKeyExchangeResult {
    TlsClient::Result transport = TlsClient::Result::Ok;
    NtsKeRefusal refusal = NtsKeRefusal::None;
    std::string detail;
    std::optional<NtsAssociation> association;
};

// One NTS key exchange with server over TLS 1.3 ("ntske/1"), bounded by timeout: our request,
// the server's records up to its end of message, and the keys exported from the session.
NtsKeyExchangeResult runNtsKeyExchange(const ServerName& server,
                                       std::chrono::milliseconds timeout = kNtsKeyExchangeTimeout);

}  // namespace horalux
