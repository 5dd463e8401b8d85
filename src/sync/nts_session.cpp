#include "sync/nts_session.h"

#include <string.h>

#include <algorithm>

#include "platform/random_bytes.h"
#include "sync/nts_extension_fields.h"

namespace horalux {

NtsAssociation::~NtsAssociation() {
    ::explicit_bzero(clientKey.data(), clientKey.size());
    ::explicit_bzero(serverKey.data(), serverKey.size());
}

std::optional<NtsAssociation> NtsSessions::take(const std::string& server) {
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(kept_.begin(), kept_.end(),
                                 [&](const auto& entry) { return entry.first == server; });
    if (it == kept_.end()) {
        return std::nullopt;
    }
    NtsAssociation association = std::move(it->second);
    kept_.erase(it);
    return association;
}

void NtsSessions::keep(const std::string& server, NtsAssociation association) {
    std::lock_guard lock(mutex_);
    std::erase_if(kept_, [&](const auto& entry) { return entry.first == server; });
    if (kept_.size() >= kServers) {
        kept_.erase(kept_.begin());
    }
    kept_.emplace_back(server, std::move(association));
}

void NtsSessions::forget(const std::string& server) {
    std::lock_guard lock(mutex_);
    std::erase_if(kept_, [&](const auto& entry) { return entry.first == server; });
}

bool NtsAuthentication::prepare(std::vector<uint8_t>& request) {
    auto cookie = association_.cookies.take();
    if (!cookie) {
        ranOut_ = true;
        return false;
    }
    uniqueId_.resize(ntsef::kUniqueIdentifierSize);
    randomBytes(uniqueId_.data(), uniqueId_.size());
    std::vector<uint8_t> nonce(ntsef::kNonceSize);
    randomBytes(nonce.data(), nonce.size());
    const bool made = appendNtsRequestFields(request, uniqueId_, *cookie,
                                             association_.cookies.placeholdersWanted(),
                                             association_.clientKey, nonce);
    wipe(*cookie);
    return made;
}

SntpReplyCheck NtsAuthentication::check(const uint8_t* reply, size_t size) {
    NtsReplyCheck checked = checkNtsReply(reply, size, uniqueId_, association_.serverKey);
    if (checked.check == SntpReplyCheck::Usable) {
        for (std::vector<uint8_t>& cookie : checked.cookies) {
            association_.cookies.add(std::move(cookie));
        }
    }
    for (std::vector<uint8_t>& cookie : checked.cookies) {
        wipe(cookie);
    }
    return checked.check;
}

}  // namespace horalux
