#pragma once

#include <cstdint>

namespace horalux {

// Why an update authenticated by NTS failed, in the terms a user can act on. A server that
// cannot be reached at all is not among them: that is the plain "cannot connect".
enum class NtsFailure : int32_t {
    None = 0,
    CertificateNotTrusted,  // the key-exchange server's certificate did not verify
    KeyExchangeRefused,     // the key exchange ended in an error or an answer we cannot use
    NoCookies,              // no cookie to send, and a new key exchange gave none
    AuthenticationFailed,   // the NTP replies did not authenticate
};

// The failure in a few words for the Network Time page's status line and the update record.
const char* describe(NtsFailure failure);

}  // namespace horalux
