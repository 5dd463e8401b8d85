#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sync/nts_aead.h"
#include "sync/sntp_client.h"

namespace horalux {

// The NTP extension fields of NTS (RFC 8915, section 5; RFC 7822): each a 16-bit type, a 16-bit
// length of the whole field (a multiple of 4, at least 16) and the body, after the 48-byte
// header.
namespace ntsef {

inline constexpr uint16_t kUniqueIdentifier = 0x0104;
inline constexpr uint16_t kCookie = 0x0204;
inline constexpr uint16_t kCookiePlaceholder = 0x0304;
inline constexpr uint16_t kAuthenticator = 0x0404;
inline constexpr size_t kMinField = 16;
inline constexpr size_t kUniqueIdentifierSize = 32;
inline constexpr size_t kNonceSize = 16;

}  // namespace ntsef

struct ExtensionField {
    uint16_t type = 0;
    size_t offset = 0;  // of the field's header in the packet
    const uint8_t* body = nullptr;
    size_t size = 0;  // of the body, padding included
};

// The fields of data, one after the other to its end; nothing when one is malformed.
std::optional<std::vector<ExtensionField>> parseExtensionFields(const uint8_t* data, size_t size);

// Appends a field with the body padded to a multiple of 4 and to the least field size.
void appendExtensionField(std::vector<uint8_t>& packet, uint16_t type, const uint8_t* body,
                          size_t size);

// Makes an NTP request (its 48-byte header) an NTS request: version 4, then the unique
// identifier, the cookie, the placeholders and the authenticator sealed with the client's key.
// False when the sealing fails.
bool appendNtsRequestFields(std::vector<uint8_t>& packet, const std::vector<uint8_t>& uniqueId,
                            const std::vector<uint8_t>& cookie, size_t placeholders,
                            const NtsKey& clientKey, const std::vector<uint8_t>& nonce);

// What the check of an NTS reply found: Usable with the new cookies it brought, or why not.
struct NtsReplyCheck {
    SntpReplyCheck check = SntpReplyCheck::NotAuthenticated;
    std::vector<std::vector<uint8_t>> cookies;
};

// Checks a whole reply (header and fields) to the request with uniqueId, by the server's key.
// An NTS NAK (kiss code "NTSN" with our identifier) is reported as such without authentication,
// as the server cannot authenticate it.
NtsReplyCheck checkNtsReply(const uint8_t* reply, size_t size, const std::vector<uint8_t>& uniqueId,
                            const NtsKey& serverKey);

}  // namespace horalux
