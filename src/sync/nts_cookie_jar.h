#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace horalux {

// The NTS cookies kept for one server: each is sent once, oldest first, and every reply brings
// new ones. Cookies are secrets (with the keys they let anyone speak for us): they live in
// memory only and are wiped when they leave the jar.
class NtsCookieJar {
  public:
    static constexpr size_t kCapacity = 8;

    NtsCookieJar() = default;
    NtsCookieJar(const NtsCookieJar&) = delete;
    NtsCookieJar& operator=(const NtsCookieJar&) = delete;
    NtsCookieJar(NtsCookieJar&&) = default;
    NtsCookieJar& operator=(NtsCookieJar&&);
    ~NtsCookieJar();

    // Keeps a cookie; when the jar is full the oldest makes room.
    void add(std::vector<uint8_t> cookie);
    // The oldest cookie, which leaves the jar; nothing when it is empty.
    std::optional<std::vector<uint8_t>> take();
    // How many placeholders a request should carry after take(), so that its reply fills the jar.
    size_t placeholdersWanted() const;

    size_t size() const { return cookies_.size(); }
    bool empty() const { return cookies_.empty(); }
    void clear();

  private:
    std::deque<std::vector<uint8_t>> cookies_;
};

// Overwrites a secret before its memory is given back.
void wipe(std::vector<uint8_t>& secret);

}  // namespace horalux
