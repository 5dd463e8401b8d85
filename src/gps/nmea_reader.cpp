#include "gps/nmea_reader.h"

#include "gps/nmea_checksum.h"
#include "platform/system_clock.h"

namespace horalux {

namespace {

constexpr int kAddressAbandon = 7;  // an address that reaches 7 characters is abandoned
constexpr int kDataAbandon = 250;   // data that reaches 250 characters is abandoned

bool printable(const char* text) {
    for (; *text != '\0'; ++text) {
        if (*text < 0x20 || *text > 0x7e) {
            return false;
        }
    }
    return true;
}

// An address as NMEA writes it: a two-character talker and a three-character type.
bool nmeaAddress(const char* address) {
    int n = 0;
    for (; address[n] != '\0'; ++n) {
        const char c = address[n];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return n == 5;
}

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
        bytesRead_ += n;
        Feed(buffer, n < sizeof buffer ? n : sizeof buffer, steadyNanos());
    }
}

void NmeaReader::Feed(const uint8_t* bytes, size_t n, int64_t arrivalNs) {
    arrivalNs_ = arrivalNs;
    for (size_t i = 0; i < n; ++i) {
        FeedByte(bytes[i]);
    }
}

void NmeaReader::DispatchSentence(bool checked) {
    if (checked || (nmeaAddress(address_) && printable(data_))) {
        ++validSentences_;
    }
    parser_.Dispatch(address_, data_, arrivalNs_);
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
                DispatchSentence(false);
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
                DispatchSentence(true);
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
