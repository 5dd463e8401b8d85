#include "app/receiver_speed_search.h"

#include "app/settings_keys.h"

namespace horalux {

ReceiverSpeedSearch::ReceiverSpeedSearch(SerialPort& port, const NmeaReader& reader,
                                         SettingsStore& store, FoundListener found)
    : port_(port), reader_(reader), store_(store), found_(std::move(found)) {}

void ReceiverSpeedSearch::Tick(int64_t nowMs) {
    if (!port_.IsOpen()) {
        return;
    }
    if (port_.openGeneration() != generation_) {
        generation_ = port_.openGeneration();
        detector_.Restart(port_.baud(), reader_.bytesRead(), reader_.validSentences());
        return;
    }
    const BaudDetector::Step step =
        detector_.Observe(nowMs, reader_.bytesRead(), reader_.validSentences());
    switch (step.kind) {
        case BaudDetector::Step::Kind::None:
            break;
        case BaudDetector::Step::Kind::TrySpeed:
            port_.SetSpeed(step.baud);
            break;
        case BaudDetector::Step::Kind::Found:
            if (store_.read(keys::Baud) != step.baud) {
                store_.write(keys::Baud, step.baud);
            }
            if (found_) {
                found_(step.baud);
            }
            break;
    }
}

}  // namespace horalux
