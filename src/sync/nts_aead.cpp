#include "sync/nts_aead.h"

#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>

#include <memory>

namespace horalux {

namespace {

struct CipherDeleter {
    void operator()(gnutls_aead_cipher_hd_t handle) const { gnutls_aead_cipher_deinit(handle); }
};
using Cipher = std::unique_ptr<std::remove_pointer_t<gnutls_aead_cipher_hd_t>, CipherDeleter>;

Cipher openCipher(const NtsKey& key) {
    gnutls_datum_t datum{const_cast<uint8_t*>(key.data()), static_cast<unsigned>(key.size())};
    gnutls_aead_cipher_hd_t handle = nullptr;
    if (gnutls_aead_cipher_init(&handle, GNUTLS_CIPHER_AES_128_SIV, &datum) < 0) {
        return nullptr;
    }
    return Cipher(handle);
}

}  // namespace

std::optional<std::vector<uint8_t>> sivSeal(const NtsKey& key, const std::vector<uint8_t>& nonce,
                                            const uint8_t* associated, size_t associatedSize,
                                            const std::vector<uint8_t>& plaintext) {
    const Cipher cipher = openCipher(key);
    if (!cipher || nonce.empty()) {
        return std::nullopt;
    }
    std::vector<uint8_t> sealed(plaintext.size() + kSivTagSize);
    size_t size = sealed.size();
    if (gnutls_aead_cipher_encrypt(cipher.get(), nonce.data(), nonce.size(), associated,
                                   associatedSize, kSivTagSize, plaintext.data(), plaintext.size(),
                                   sealed.data(), &size) < 0) {
        return std::nullopt;
    }
    sealed.resize(size);
    return sealed;
}

std::optional<std::vector<uint8_t>> sivOpen(const NtsKey& key, const uint8_t* nonce,
                                            size_t nonceSize, const uint8_t* associated,
                                            size_t associatedSize, const uint8_t* sealed,
                                            size_t sealedSize) {
    const Cipher cipher = openCipher(key);
    if (!cipher || nonceSize == 0 || sealedSize < kSivTagSize) {
        return std::nullopt;
    }
    std::vector<uint8_t> plaintext(sealedSize);
    size_t size = plaintext.size();
    if (gnutls_aead_cipher_decrypt(cipher.get(), nonce, nonceSize, associated, associatedSize,
                                   kSivTagSize, sealed, sealedSize, plaintext.data(), &size) < 0) {
        return std::nullopt;
    }
    plaintext.resize(size);
    return plaintext;
}

}  // namespace horalux
