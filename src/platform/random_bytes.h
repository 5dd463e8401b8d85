#pragma once

#include <cstddef>
#include <cstdint>

namespace horalux {

// Fills buffer with bytes from the kernel's random source (getrandom), good for secrets and
// unguessable identifiers. Blocks only before the system has gathered its first entropy.
void randomBytes(void* buffer, size_t size);

// 64 random bits.
uint64_t random64();

}  // namespace horalux
