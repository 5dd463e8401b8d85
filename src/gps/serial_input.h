#pragma once

#include <cstddef>
#include <cstdint>

namespace horalux {

// What the sentence reader reads from: the bytes a serial port has received so far. A read
// never waits; it returns the number of bytes copied (0 when nothing has arrived or the port is
// not usable).
class SerialInput {
  public:
    virtual ~SerialInput() = default;
    virtual size_t readAvailable(uint8_t* buffer, size_t capacity) = 0;
};

}  // namespace horalux
