#include "sync/nts_cookie_jar.h"

#include <string.h>

namespace horalux {

void wipe(std::vector<uint8_t>& secret) {
    if (!secret.empty()) {
        ::explicit_bzero(secret.data(), secret.size());
    }
    secret.clear();
}

NtsCookieJar& NtsCookieJar::operator=(NtsCookieJar&& other) {
    if (this != &other) {
        clear();
        cookies_ = std::move(other.cookies_);
    }
    return *this;
}

NtsCookieJar::~NtsCookieJar() {
    clear();
}

void NtsCookieJar::add(std::vector<uint8_t> cookie) {
    if (cookie.empty()) {
        return;
    }
    if (cookies_.size() >= kCapacity) {
        wipe(cookies_.front());
        cookies_.pop_front();
    }
    cookies_.push_back(std::move(cookie));
}

std::optional<std::vector<uint8_t>> NtsCookieJar::take() {
    if (cookies_.empty()) {
        return std::nullopt;
    }
    std::vector<uint8_t> cookie = std::move(cookies_.front());
    cookies_.pop_front();
    return cookie;
}

size_t NtsCookieJar::placeholdersWanted() const {
    return cookies_.size() + 1 >= kCapacity ? 0 : kCapacity - 1 - cookies_.size();
}

void NtsCookieJar::clear() {
    for (std::vector<uint8_t>& cookie : cookies_) {
        wipe(cookie);
    }
    cookies_.clear();
}

}  // namespace horalux
