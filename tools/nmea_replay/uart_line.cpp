#include "nmea_replay/uart_line.h"

#include <cmath>

namespace horalux::replay {

namespace {

constexpr int kBitsPerByte = 10;  // start, eight data bits, stop

// The sender's line: its level during bit k (from the first start bit), idle high outside.
class SenderLine {
  public:
    SenderLine(std::string_view bytes, int baud) : bytes_(bytes), baud_(baud) {}

    int bitLevel(int64_t k) const {
        if (k < 0 || k >= static_cast<int64_t>(bytes_.size()) * kBitsPerByte) {
            return 1;
        }
        const int bit = static_cast<int>(k % kBitsPerByte);
        if (bit == 0) {
            return 0;
        }
        if (bit == kBitsPerByte - 1) {
            return 1;
        }
        const auto byte = static_cast<uint8_t>(bytes_[static_cast<size_t>(k / kBitsPerByte)]);
        return (byte >> (bit - 1)) & 1;
    }
    int64_t bitAt(double t) const { return static_cast<int64_t>(std::floor(t * baud_)); }
    int levelAt(double t) const { return bitLevel(bitAt(t)); }
    double bitStart(int64_t k) const { return static_cast<double>(k) / baud_; }
    int64_t bitCount() const { return static_cast<int64_t>(bytes_.size()) * kBitsPerByte; }

  private:
    std::string_view bytes_;
    int baud_;
};

}  // namespace

std::vector<UartByte> ReceiveAs(std::string_view bytes, int senderBaud, int receiverBaud) {
    std::vector<UartByte> received;
    if (senderBaud <= 0 || receiverBaud <= 0) {
        return received;
    }
    const SenderLine line(bytes, senderBaud);
    const double bitTime = 1.0 / receiverBaud;
    // The first sender bit at or after which a falling edge is looked for.
    int64_t from = 0;
    while (from < line.bitCount()) {
        // The next falling edge: a low bit after a high one.
        int64_t k = from;
        while (k < line.bitCount() && !(line.bitLevel(k) == 0 && line.bitLevel(k - 1) == 1)) {
            ++k;
        }
        if (k >= line.bitCount()) {
            break;
        }
        const double edge = line.bitStart(k);
        if (line.levelAt(edge + 0.5 * bitTime) != 0) {
            from = line.bitAt(edge + 0.5 * bitTime) + 1;  // a glitch, not a start bit
            continue;
        }
        uint8_t value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            value |= static_cast<uint8_t>(line.levelAt(edge + (bit + 1.5) * bitTime) << bit);
        }
        const double stopSample = edge + 9.5 * bitTime;
        if (line.levelAt(stopSample) == 0) {
            value = 0;  // framing error
        }
        received.push_back({value, stopSample});
        from = line.bitAt(stopSample) + 1;
    }
    return received;
}

}  // namespace horalux::replay
