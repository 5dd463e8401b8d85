#pragma once

#include <atomic>
#include <cstdint>

namespace horalux {

// The shared synchronisation status: polled by the user interface, written by the worker and
// the main frame's heartbeat. All start at 0.
struct SyncFlags {
    std::atomic<int32_t> syncBusy{0};       // 1 while a clock update runs
    std::atomic<int32_t> networkFailed{0};  // 1 when the last network update failed
    std::atomic<int32_t> timeLocked{0};     // 1 when GPS time may be used
    // Why the last network update authenticated by NTS failed (an NtsFailure); 0 otherwise.
    std::atomic<int32_t> ntsFailure{0};
};

}  // namespace horalux
