#pragma once

#include <cstdint>
#include <string_view>

namespace horalux {

// A number typed into a dialog field, read the way every page reads one: an optional sign and
// decimal digits, with blanks around them allowed. Anything else (an empty field, a lone "-",
// "12a", a value beyond 32 bits) reads as 0.
int32_t DialogInt(std::string_view text);

// The text without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

// The low 16 bits of a number read from a field, as the fields kept in 16 bits store it:
// 70000 -> 4464, -1 -> 65535.
inline uint16_t Low16(int32_t value) {
    return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu);
}

}  // namespace horalux
