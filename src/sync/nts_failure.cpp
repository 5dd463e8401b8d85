#include "sync/nts_failure.h"

namespace horalux {

const char* describe(NtsFailure failure) {
    switch (failure) {
        case NtsFailure::None:
            return "";
        case NtsFailure::CertificateNotTrusted:
            return "NTS certificate not trusted: check the server name";
        case NtsFailure::KeyExchangeRefused:
            return "Server refused NTS: choose an NTS server";
        case NtsFailure::NoCookies:
            return "NTS server sent no cookies: try another server";
        case NtsFailure::AuthenticationFailed:
            return "NTS replies not authentic: try another network";
    }
    return "";
}

}  // namespace horalux
