#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/runtime_settings.h"
#include "gps/gps_state.h"
#include "platform/settings_store.h"
#include "platform/shared_memory.h"
#include "sync/shm_refclock.h"

namespace horalux {

// Hands GPS time to chronyd (or ntpd) through the shared-memory refclock of unit
// "ChronyShmUnit", while "FeedChrony" is 1 and the reference is GPS: one sample for each new
// second of the time sentence ("UseTimrFrom"), only while GPS time is locked. A sample's
// reference time is the receiver's second plus the fix-up delay ("GPSTimeDelay"), its receive
// time the moment the sentence arrived by the real system clock, the clock chronyd reads and
// disciplines (a virtual clock of ours plays no part here). The arrival is the one the reader
// records for the sentence (GpsState::LastArrival: when the read that brought its end was made,
// on the steady clock), moved onto the real system clock.
//
// The segment is attached while the feed is on and the reference is GPS (so chronyd can be seen
// attached to it before any sample), created with mode 0600 when chronyd has not made it yet,
// and detached otherwise. Runs on the user-interface thread, after every read of the port.
class ChronyFeed {
  public:
    // Attaches the segment with a key, or gives null and why not.
    using Opener = std::function<std::unique_ptr<SharedMemory>(int key, std::string* error)>;
    static constexpr int kMinUnit = 0;
    static constexpr int kMaxUnit = 255;

    // A System V segment of ShmTime's size, created with mode 0600 when there is none.
    static std::unique_ptr<SharedMemory> OpenSysvSegment(int key, std::string* error);

    ChronyFeed(const SettingsStore& store, const RuntimeSettings& runtime, const GpsState& gps,
               Opener opener = OpenSysvSegment);

    // After a read of the port, with the time now by the real system clock (ns since 1970) and by
    // the steady clock (ns): writes a sample when a time sentence has arrived since the last call
    // and the rules above allow it; returns it.
    std::optional<RefclockSample> OnPortRead(int64_t realtimeNowNs, int64_t steadyNowNs);

    // How the feed stands, for the user.
    struct Status {
        bool active = false;  // on, with GPS as the reference
        int unit = 0;
        bool attached = false;
        std::string error;       // why the segment could not be attached (when active)
        int otherAttached = -1;  // other processes attached to the segment; -1 unknown
        uint64_t samples = 0;    // written since the segment was attached
        bool lastTaken = false;  // a reader has taken the last sample
        bool locked = false;     // GPS time is locked (samples are due)
    };
    Status status() const;

  private:
    // Attaches (or detaches) the segment as the settings now say; true when one is attached.
    bool Follow();

    const SettingsStore& store_;
    const RuntimeSettings& runtime_;
    const GpsState& gps_;
    Opener opener_;

    std::unique_ptr<SharedMemory> segment_;
    std::optional<ShmRefclockWriter> writer_;
    int unit_ = -1;  // the unit attached, or last tried
    std::string error_;
    uint64_t samples_ = 0;
    bool tried_ = false;                   // an attach of unit_ failed since the last new second
    std::optional<uint64_t> lastArrival_;  // the arrival sequence at the last call
};

}  // namespace horalux
