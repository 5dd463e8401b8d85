#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sync/nts_aead.h"
#include "sync/nts_cookie_jar.h"
#include "sync/sntp_client.h"

namespace horalux {

// What one NTS key exchange gave: the NTP server to ask, the two keys and the cookies.
struct NtsAssociation {
    std::string ntpHost;
    uint16_t ntpPort = SntpClient::kSntpPort;
    NtsKey clientKey{};  // seals our requests
    NtsKey serverKey{};  // opens the server's replies
    NtsCookieJar cookies;

    NtsAssociation() = default;
    NtsAssociation(NtsAssociation&&) = default;
    NtsAssociation& operator=(NtsAssociation&&) = default;
    ~NtsAssociation();
};

// NTS state kept between updates: one association per key-exchange server, so that a later
// update needs no new key exchange while cookies last. Memory only, for the program's life:
// keys and cookies are secrets, and a restart costs one key exchange. Safe across threads; an
// update takes an association out while it uses it.
class NtsSessions {
  public:
    static constexpr size_t kServers = 8;  // associations kept at most

    std::optional<NtsAssociation> take(const std::string& server);
    // Keeps an association (replacing one kept for the same server); the oldest makes room.
    void keep(const std::string& server, NtsAssociation association);
    void forget(const std::string& server);

    // Key exchanges made through these sessions, for tests and diagnostics.
    int keyExchanges() const { return keyExchanges_; }
    void countKeyExchange() { ++keyExchanges_; }

  private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, NtsAssociation>> kept_;  // oldest first
    std::atomic<int> keyExchanges_{0};
};

// Dresses NTP requests under an association and checks the replies: each request carries a
// fresh unique identifier and nonce and one cookie, and asks for as many new cookies as the jar
// lacks; an authentic reply's cookies go into the jar.
class NtsAuthentication final : public SntpAuthentication {
  public:
    explicit NtsAuthentication(NtsAssociation& association) : association_(association) {}

    bool prepare(std::vector<uint8_t>& request) override;
    SntpReplyCheck check(const uint8_t* reply, size_t size) override;

    // Whether a request could not be made for want of a cookie.
    bool ranOutOfCookies() const { return ranOut_; }

  private:
    NtsAssociation& association_;
    std::vector<uint8_t> uniqueId_;
    bool ranOut_ = false;
};

}  // namespace horalux
