#pragma once

#include <cstdint>
#include <string_view>

namespace horalux {

// The value of one hexadecimal checksum character (either case), or -1 when it is not one.
inline int nmeaHexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The checksum of a sentence: the exclusive-or of every byte between "$" and "*".
inline uint8_t nmeaChecksum(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body) {
        sum ^= static_cast<uint8_t>(c);
    }
    return sum;
}

}  // namespace horalux
