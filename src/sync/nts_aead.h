#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace horalux {

// AEAD_AES_SIV_CMAC_256 (RFC 5297) through GnuTLS: a 32-byte key, the nonce as the last piece of
// associated data, and a sealed text that is the 16-byte synthetic IV followed by the ciphertext.
using NtsKey = std::array<uint8_t, 32>;
inline constexpr size_t kSivTagSize = 16;

// Nothing when GnuTLS refuses (it has no AES-SIV, or the nonce is empty).
std::optional<std::vector<uint8_t>> sivSeal(const NtsKey& key, const std::vector<uint8_t>& nonce,
                                            const uint8_t* associated, size_t associatedSize,
                                            const std::vector<uint8_t>& plaintext);

// The plaintext, or nothing when the sealed text does not verify.
std::optional<std::vector<uint8_t>> sivOpen(const NtsKey& key, const uint8_t* nonce,
                                            size_t nonceSize, const uint8_t* associated,
                                            size_t associatedSize, const uint8_t* sealed,
                                            size_t sealedSize);

}  // namespace horalux
