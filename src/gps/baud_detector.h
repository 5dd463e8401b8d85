#pragma once

#include <array>
#include <cstdint>

namespace horalux {

// Decides the serial line's speed from what the sentence reader makes of the bytes: while they
// arrive and no whole sentence comes of them (NmeaReader::validSentences) for kGarbledMs, the line
// is taken to run at another speed, and the usual speeds are tried in turn, kTryMs each from the
// change, until one gives a whole sentence; that one is kept (Found). The rules:
// - silence proves nothing: a receiver that sends nothing (unplugged, wrong device) is never the
//   reason to try another speed; time counts only while bytes come (a pause of kTryMs ends what
//   came before it, and a try without bytes goes on until they come);
// - a stream that gives sentences is never interrupted;
// - a receiver that changes its speed later is followed the same way;
// - a whole round of the six speeds from a wrong one takes kGarbledMs + 5 * kTryMs (12 s).
// Plain logic: the caller reads the counters and applies what Observe says.
class BaudDetector {
  public:
    static constexpr std::array<int, 6> kSpeeds{4800, 9600, 19200, 38400, 57600, 115200};
    static constexpr int64_t kGarbledMs = 2000;
    static constexpr int64_t kTryMs = 2000;

    struct Step {
        enum class Kind {
            None,      // nothing to do
            TrySpeed,  // set the line to `baud` and go on observing
            Found,     // sentences come at `baud` (the speed tried last): keep it
        };
        Kind kind = Kind::None;
        int baud = 0;
        bool operator==(const Step&) const = default;
    };

    // The line runs at `baud` now; the counters start from the given totals.
    explicit BaudDetector(int baud = 4800, uint64_t bytesRead = 0, uint64_t validSentences = 0);

    // Starts afresh at `baud` (the port was opened again, perhaps at a speed the user chose).
    void Restart(int baud, uint64_t bytesRead, uint64_t validSentences);

    // One look at the reader's counters (their totals) at `nowMs` (any steady time base).
    Step Observe(int64_t nowMs, uint64_t bytesRead, uint64_t validSentences);

    int baud() const { return baud_; }
    // Trying speeds other than the one the line was found or set at.
    bool searching() const { return searching_; }

    // The speed tried after `baud`: the next of kSpeeds, round to the first; the first for a
    // speed not among them.
    static int NextSpeed(int baud);

  private:
    int baud_;
    bool searching_ = false;
    bool garbling_ = false;    // bytes without a sentence since sinceMs_
    int64_t sinceMs_ = 0;      // when the bytes without a sentence began
    int64_t lastBytesMs_ = 0;  // when bytes last came
    uint64_t bytes_;
    uint64_t sentences_;
};

}  // namespace horalux
