#include "gps/baud_detector.h"

#include <algorithm>

namespace horalux {

BaudDetector::BaudDetector(int baud, uint64_t bytesRead, uint64_t validSentences)
    : baud_(baud), bytes_(bytesRead), sentences_(validSentences) {}

void BaudDetector::Restart(int baud, uint64_t bytesRead, uint64_t validSentences) {
    *this = BaudDetector(baud, bytesRead, validSentences);
}

int BaudDetector::NextSpeed(int baud) {
    const auto* it = std::find(kSpeeds.begin(), kSpeeds.end(), baud);
    if (it == kSpeeds.end() || ++it == kSpeeds.end()) {
        return kSpeeds.front();
    }
    return *it;
}

BaudDetector::Step BaudDetector::Observe(int64_t nowMs, uint64_t bytesRead,
                                         uint64_t validSentences) {
    const bool newBytes = bytesRead != bytes_;
    const bool newSentences = validSentences != sentences_;
    bytes_ = bytesRead;
    sentences_ = validSentences;

    if (newSentences) {
        garbling_ = false;
        if (searching_) {
            searching_ = false;
            return {Step::Kind::Found, baud_};
        }
        return {};
    }
    if (newBytes) {
        lastBytesMs_ = nowMs;
        if (!garbling_) {
            garbling_ = true;
            sinceMs_ = nowMs;
        }
    } else if (nowMs - lastBytesMs_ >= kTryMs) {
        garbling_ = false;  // silence proves nothing, and a long pause ends what came before it
        return {};
    }
    if (!garbling_) {
        return {};
    }
    if (searching_) {
        // A try ends kTryMs after it began, when bytes came during it.
        if (nowMs - sinceMs_ < kTryMs || lastBytesMs_ <= sinceMs_) {
            return {};
        }
    } else if (!newBytes || nowMs - sinceMs_ < kGarbledMs) {
        return {};  // a stream that stopped after its last sentence is no garbage
    }
    baud_ = NextSpeed(baud_);
    searching_ = true;
    // The try runs from now: a receiver sending once a second gives it a burst within it.
    sinceMs_ = nowMs;
    lastBytesMs_ = nowMs;
    return {Step::Kind::TrySpeed, baud_};
}

}  // namespace horalux
