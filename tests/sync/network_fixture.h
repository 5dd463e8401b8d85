#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "platform/fake_time_capability.h"
#include "platform/memory_settings_store.h"
#include "platform/system_clock.h"
#include "sync/ntp_timestamp.h"
#include "sync/sync_context.h"
#include "sync/sync_flags.h"

namespace horalux::test {

// What one network clock update works with, around a clock of the test's choice.
struct NetworkFixture {
    explicit NetworkFixture(SystemClock& clock)
        : setter(clock, capability), ctx{store, clock, capability, setter, runtime, gps, flags} {}

    void useSntp(bool on) { store.write(keys::UseSNTPForUpdate, on ? 1 : 0); }

    MemorySettingsStore store;
    FakeTimeCapability capability;
    ClockSetter setter;
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    SyncContext ctx;
};

// Pieces of SNTP packets for test servers.
namespace sntp {

inline constexpr NtpTimestamp kSecond = NtpTimestamp{1} << 32;

inline NtpTimestamp transmitOf(const std::vector<uint8_t>& packet) {
    return packet.size() >= 48 ? readNtpTimestamp(packet.data() + 40) : 0;
}

// A well-formed server reply to request: leap indicator 0, version 3, mode 4, stratum 2, the
// request's transmit time echoed, t2 and t3 as given.
inline std::vector<uint8_t> reply(const std::vector<uint8_t>& request, NtpTimestamp t2,
                                  NtpTimestamp t3) {
    std::vector<uint8_t> packet(48, 0);
    packet[0] = (0 << 6) | (3 << 3) | 4;
    packet[1] = 2;
    writeNtpTimestamp(packet.data() + 24, transmitOf(request));
    writeNtpTimestamp(packet.data() + 32, t2);
    writeNtpTimestamp(packet.data() + 40, t3);
    return packet;
}

// A reply that puts the server offsetSeconds ahead of a requester whose clock stands still at
// pcTime (the transmit field of a request is random and says nothing of it).
inline std::vector<uint8_t> replyAhead(const std::vector<uint8_t>& request, double offsetSeconds,
                                       NtpTimestamp pcTime) {
    return reply(request, addNtpOffset(pcTime, offsetSeconds), addNtpOffset(pcTime, offsetSeconds));
}

}  // namespace sntp

}  // namespace horalux::test
