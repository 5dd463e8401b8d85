#include "platform/random_bytes.h"

#include <sys/random.h>

#include <cerrno>
#include <random>

namespace horalux {

void randomBytes(void* buffer, size_t size) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        const ssize_t n = ::getrandom(out, size, 0);
        if (n > 0) {
            out += n;
            size -= static_cast<size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            // No getrandom (a very old kernel): the standard library's device, which reads
            // the same source through /dev/urandom.
            std::random_device device;
            for (; size > 0; --size) {
                *out++ = static_cast<uint8_t>(device());
            }
        }
    }
}

uint64_t random64() {
    uint64_t value = 0;
    randomBytes(&value, sizeof value);
    return value;
}

}  // namespace horalux
