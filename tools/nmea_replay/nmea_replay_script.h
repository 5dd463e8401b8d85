#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace horalux::replay {

// A UTC second as the time and date fields of NMEA sentences carry it.
struct UtcSecond {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
UtcSecond utcSecondFromUnix(int64_t unixSecond);

// Gives one sentence ("$" up to and including its two checksum characters, or up to its
// carriage return when it has no checksum) the time `at`: a GGA, RMC or ZDA time field (hhmmss,
// with any fraction kept in form and set to zero), the RMC date (ddmmyy) and the ZDA day, month
// and year. Fields not in the expected form stay as they are. The checksum is recomputed when it
// was right; one that was wrong stays wrong by the same amount; a sentence without one gets none.
// The result always has the input's length. Other sentences come back unchanged.
std::string restampSentence(std::string_view sentence, const UtcSecond& at);

// Where a time sentence (GGA, RMC or ZDA) of a burst ends: the index of its second checksum
// character (the byte the program's reader takes it at), or of its carriage return when it has
// no checksum; and its type.
struct TimeSentenceEnd {
    size_t index = 0;
    std::string type;  // "GGA", "RMC" or "ZDA"
    bool operator==(const TimeSentenceEnd&) const = default;
};
std::vector<TimeSentenceEnd> TimeSentenceEnds(std::string_view burst);

// A captured log cut into the bursts a receiver sends once a second.
//
// Only lines that begin with "$" are kept (comments, JSON and orphaned fragments go). The rest
// is framed exactly as the sentence reader frames it (a "$" inside a sentence is data; a
// sentence ends after two characters past "*", or at a carriage return), so that what is
// restamped is what the reader will see as a sentence, joined and truncated sentences included.
// A new burst starts at every GGA, RMC or ZDA sentence whose hhmmss differs from the last one
// seen.
class NmeaReplayScript {
  public:
    static NmeaReplayScript fromLog(std::string_view log);

    size_t burstCount() const { return bursts_.size(); }
    bool empty() const { return bursts_.empty(); }
    // Burst i as sent during the second `at`.
    std::string render(size_t i, const UtcSecond& at) const;
    // Burst i as it was in the log (after the non-NMEA lines were dropped).
    const std::string& original(size_t i) const { return bursts_[i].text; }

  private:
    struct Span {
        size_t offset;
        size_t length;
    };
    struct Burst {
        std::string text;
        std::vector<Span> timed;  // GGA, RMC and ZDA sentences to restamp
    };
    std::vector<Burst> bursts_;
};

}  // namespace horalux::replay
