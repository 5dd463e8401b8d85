#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace horalux::replay {

// One byte as a receiving UART hands it over, and when: the moment its stop bit was sampled, in
// seconds from the start of the first byte on the line.
struct UartByte {
    uint8_t value = 0;
    double atSeconds = 0.0;
    bool operator==(const UartByte&) const = default;
};

// What a UART set to `receiverBaud` reads of `bytes` sent back to back at `senderBaud`, 8N1 (a
// start bit, eight data bits from the lowest, a stop bit), the line idle (high) before and after.
// The receiver waits for a falling edge, samples each bit in its middle at its own speed, and
// hands over a byte whose stop bit it finds low as NUL (a framing error, as a Linux terminal in
// raw mode without PARMRK does); after a byte it waits for the next falling edge. At equal speeds
// it reads the bytes as sent, each at 9.5 bit times after its start bit began.
std::vector<UartByte> ReceiveAs(std::string_view bytes, int senderBaud, int receiverBaud);

}  // namespace horalux::replay
