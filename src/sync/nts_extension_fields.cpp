#include "sync/nts_extension_fields.h"

#include <algorithm>
#include <cstring>

namespace horalux {

namespace {

constexpr uint8_t kNtsClientRequest = 0x23;  // leap indicator 0, version 4, mode 3 (client)
constexpr size_t kHeader = SntpClient::kPacketSize;

uint16_t read16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void append16(std::vector<uint8_t>& out, size_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

size_t padded(size_t size) {
    return (size + 3) & ~size_t{3};
}

}  // namespace

std::optional<std::vector<ExtensionField>> parseExtensionFields(const uint8_t* data, size_t size) {
    std::vector<ExtensionField> fields;
    size_t at = 0;
    while (at < size) {
        if (size - at < 4) {
            return std::nullopt;
        }
        const size_t length = read16(data + at + 2);
        if (length < ntsef::kMinField || length % 4 != 0 || length > size - at) {
            return std::nullopt;
        }
        fields.push_back({read16(data + at), at, data + at + 4, length - 4});
        at += length;
    }
    return fields;
}

void appendExtensionField(std::vector<uint8_t>& packet, uint16_t type, const uint8_t* body,
                          size_t size) {
    const size_t length = std::max(ntsef::kMinField, 4 + padded(size));
    append16(packet, type);
    append16(packet, length);
    packet.insert(packet.end(), body, body + size);
    packet.resize(packet.size() + length - 4 - size, 0);
}

bool appendNtsRequestFields(std::vector<uint8_t>& packet, const std::vector<uint8_t>& uniqueId,
                            const std::vector<uint8_t>& cookie, size_t placeholders,
                            const NtsKey& clientKey, const std::vector<uint8_t>& nonce) {
    packet.resize(kHeader);
    packet[0] = kNtsClientRequest;
    appendExtensionField(packet, ntsef::kUniqueIdentifier, uniqueId.data(), uniqueId.size());
    appendExtensionField(packet, ntsef::kCookie, cookie.data(), cookie.size());
    const std::vector<uint8_t> zeros(cookie.size(), 0);
    for (size_t i = 0; i < placeholders; ++i) {
        appendExtensionField(packet, ntsef::kCookiePlaceholder, zeros.data(), zeros.size());
    }
    // Nothing to hide in a request: the sealed text is the synthetic IV alone.
    const auto sealed = sivSeal(clientKey, nonce, packet.data(), packet.size(), {});
    if (!sealed) {
        return false;
    }
    std::vector<uint8_t> body;
    append16(body, nonce.size());
    append16(body, sealed->size());
    body.insert(body.end(), nonce.begin(), nonce.end());
    body.resize(4 + padded(nonce.size()), 0);
    body.insert(body.end(), sealed->begin(), sealed->end());
    body.resize(4 + padded(nonce.size()) + padded(sealed->size()), 0);
    appendExtensionField(packet, ntsef::kAuthenticator, body.data(), body.size());
    return true;
}

NtsReplyCheck checkNtsReply(const uint8_t* reply, size_t size, const std::vector<uint8_t>& uniqueId,
                            const NtsKey& serverKey) {
    NtsReplyCheck result;
    if (size < kHeader) {
        result.check = SntpReplyCheck::TooShort;
        return result;
    }
    const auto fields = parseExtensionFields(reply + kHeader, size - kHeader);
    if (!fields) {
        result.check = SntpReplyCheck::MalformedExtensionField;
        return result;
    }
    const ExtensionField* identifier = nullptr;
    const ExtensionField* authenticator = nullptr;
    for (const ExtensionField& field : *fields) {
        if (field.type == ntsef::kAuthenticator) {
            authenticator = &field;
            break;  // what follows is not authenticated and is not looked at
        }
        if (field.type == ntsef::kUniqueIdentifier && identifier == nullptr) {
            identifier = &field;
        }
    }
    const bool ours = identifier != nullptr && identifier->size == uniqueId.size() &&
                      std::equal(uniqueId.begin(), uniqueId.end(), identifier->body);

    const bool kiss = reply[1] == 0;
    if (kiss && ours && std::memcmp(reply + 12, "NTSN", 4) == 0) {
        result.check = SntpReplyCheck::NtsNak;
        return result;
    }
    if (authenticator == nullptr) {
        result.check = SntpReplyCheck::NotAuthenticated;
        return result;
    }
    if (!ours) {
        result.check = SntpReplyCheck::WrongUniqueIdentifier;
        return result;
    }

    const uint8_t* body = authenticator->body;
    const size_t nonceSize = read16(body);
    const size_t sealedSize = read16(body + 2);
    if (nonceSize == 0 || sealedSize < kSivTagSize ||
        4 + padded(nonceSize) + padded(sealedSize) > authenticator->size) {
        result.check = SntpReplyCheck::MalformedExtensionField;
        return result;
    }
    const size_t associated = kHeader + authenticator->offset;
    const auto plaintext = sivOpen(serverKey, body + 4, nonceSize, reply, associated,
                                   body + 4 + padded(nonceSize), sealedSize);
    if (!plaintext) {
        result.check = SntpReplyCheck::BadAuthenticator;
        return result;
    }
    const auto hidden = parseExtensionFields(plaintext->data(), plaintext->size());
    if (!hidden) {
        result.check = SntpReplyCheck::MalformedExtensionField;
        return result;
    }
    for (const ExtensionField& field : *hidden) {
        if (field.type == ntsef::kCookie && field.size > 0) {
            result.cookies.emplace_back(field.body, field.body + field.size);
        }
    }
    result.check = SntpReplyCheck::Usable;
    return result;
}

}  // namespace horalux
