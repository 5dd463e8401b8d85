#pragma once

#include <cstdint>

namespace horalux {

// A colour as the program keeps it in memory and in the settings store: 0x00BBGGRR, blue in
// the high byte and red in the low byte.
using ColorRef = uint32_t;

constexpr ColorRef makeColorRef(uint8_t red, uint8_t green, uint8_t blue) {
    return ColorRef{red} | (ColorRef{green} << 8) | (ColorRef{blue} << 16);
}
constexpr uint8_t redOf(ColorRef c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t greenOf(ColorRef c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t blueOf(ColorRef c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

}  // namespace horalux
