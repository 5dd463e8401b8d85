#pragma once

#include <chrono>

namespace horalux::test {

// A steady-clock interval in seconds, for the bounds that timing tests check.
inline double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace horalux::test
