#pragma once

#include <cstddef>
#include <cstdint>

#include "gps/gps_state.h"
#include "gps/nmea_parser.h"
#include "platform/system_clock.h"

namespace horalux {

// Polls the serial port without blocking, frames the byte stream into NMEA sentences, verifies
// their checksums and hands each one to NmeaParser; runs the idle watchdog that resets GpsState
// when the receiver falls silent, and ages the parser's SkyView (if it has one) on the same
// count of second changes, clearing it with the record. The framing state lives in gps.readerState
// (1 hunt, 2 address, 3 data, 4 first checksum digit, 5 second checksum digit).
class NmeaReader {
  public:
    // One read takes at most this many bytes.
    static constexpr size_t kReadChunk = 512;
    // A poll reads chunk after chunk until the port is empty, but at most this many, so that a
    // fast receiver (115200 bit/s and up) cannot build a backlog nor stall the user interface.
    static constexpr int kMaxChunksPerPoll = 64;

    NmeaReader(GpsState& gps, NmeaParser& parser, const SystemClock& clock);

    // Called every 50 ms: watchdog on the local clock's second (and the sky view's ageing), then
    // drains gps.portHandle (if any) and feeds what arrived through the framing state machine.
    void Poll();

    // The framing state machine alone (no watchdog, no port): used by Poll, horalux-diag and the
    // fuzzer. A sentence may be split over any number of calls. `arrivalNs` (steady clock) is when
    // the bytes were read: a time sentence that ends in them arrived then.
    void Feed(const uint8_t* bytes, size_t n, int64_t arrivalNs = 0);

    // Counters for telling whether the line's speed is right: the bytes Poll has read from the
    // port, and the sentences that came through whole: with a matching checksum, or without a
    // checksum but with an address of five letters or digits and printable data (a receiver that
    // sends no checksums). Garbage read at a wrong speed makes neither kind.
    uint64_t bytesRead() const { return bytesRead_; }
    uint64_t validSentences() const { return validSentences_; }

  private:
    void FeedByte(uint8_t byte);
    void DispatchSentence(bool checked);

    GpsState& gps_;
    NmeaParser& parser_;
    const SystemClock& clock_;

    char address_[8] = {};  // at most 6 characters and the terminator
    char data_[256] = {};   // at most 249 characters and the terminator
    int length_ = 0;
    uint8_t checksum_ = 0;
    char checksumText_[3] = {};
    uint16_t lastLocalSecond_ = 0;
    int64_t arrivalNs_ = 0;  // when the bytes being fed were read
    uint64_t bytesRead_ = 0;
    uint64_t validSentences_ = 0;
};

}  // namespace horalux
