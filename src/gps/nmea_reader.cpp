#include "gps/nmea_reader.h"

#include "gps/nmea_checksum.h"

namespace horalux {

namespace {

constexpr int kAddressAbandon = 7;  // an address that reaches 7 characters is abandoned
constexpr int kDataAbandon = 250;   // data that reaches 250 characters is abandoned

}  // namespace

NmeaReader::NmeaReader(GpsState& gps, NmeaParser& parser, const SystemClock& clock)
    : gps_(gps), parser_(parser), clock_(clock) {}

void NmeaReader::Poll() {
    // 1. Watchdog: count changes of the local clock's second since the last dispatched sentence.
    // The sky view ages on the same count and is cleared with the record.
    const uint16_t second = clock_.localNow().second;
    if (second != lastLocalSecond_) {
        lastLocalSecond_ = second;
        SkyView* sky = parser_.skyView();
        if (sky != nullptr) {
            sky->SecondPassed();
        }
        ++gps_.idleSeconds;
        if (gps_.idleSeconds >= 3) {
            if (gps_.stale == 0) {
                gps_.Reset();
                if (sky != nullptr) {
                    sky->Clear();
                }
            }
            gps_.idleSeconds = 3;
            gps_.stale = 1;
        }
    }

    // 2, 3. Drain the port in chunks of at most 512 bytes, bounded per poll.
    SerialInput* port = gps_.portHandle;
    if (port == nullptr) {
        return;
    }
    uint8_t buffer[kReadChunk];
    for (int chunk = 0; chunk < kMaxChunksPerPoll; ++chunk) {
        const size_t n = port->readAvailable(buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        Feed(buffer, n < sizeof buffer ? n : sizeof buffer);
    }
}

void NmeaReader::Feed(const uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        FeedByte(bytes[i]);
    }
}

void NmeaReader::DispatchSentence() {
    parser_.Dispatch(address_, data_);
    ++gps_.sentenceCount;
}

void NmeaReader::FeedByte(uint8_t byte) {
    const char c = static_cast<char>(byte);
    switch (gps_.readerState) {
        case 2:  // address
            if (c == ',') {
                checksum_ ^= byte;
                address_[length_] = '\0';
                length_ = 0;
                gps_.readerState = 3;
            } else {
                address_[length_++] = c;
                checksum_ ^= byte;
                if (length_ >= kAddressAbandon) {
                    gps_.readerState = 1;
                }
            }
            break;
        case 3:  // data
            if (c == '*') {
                data_[length_] = '\0';
                gps_.readerState = 4;
            } else if (byte == 13) {
                data_[length_] = '\0';
                gps_.readerState = 1;
                DispatchSentence();
            } else {
                checksum_ ^= byte;
                data_[length_++] = c;
                if (length_ >= kDataAbandon) {
                    gps_.readerState = 1;
                }
            }
            break;
        case 4:  // first checksum character
            checksumText_[0] = c;
            gps_.readerState = 5;
            break;
        case 5: {  // second checksum character: dispatch when it matches
            checksumText_[1] = c;
            checksumText_[2] = '\0';
            gps_.readerState = 1;
            const int high = nmeaHexDigit(checksumText_[0]);
            const int low = nmeaHexDigit(checksumText_[1]);
            if (high >= 0 && low >= 0 && high * 16 + low == checksum_) {
                DispatchSentence();
            }
            break;
        }
        default:  // 1 hunt (and any value outside 1..5, which only a bug elsewhere could leave)
            if (c == '$') {
                length_ = 0;
                checksum_ = 0;
                gps_.readerState = 2;
            } else {
                gps_.readerState = 1;
            }
            break;
    }
}

}  // namespace horalux
