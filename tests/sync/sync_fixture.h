#pragma once

#include "app/runtime_settings.h"
#include "gps/gps_state.h"
#include "platform/fake_system_clock.h"
#include "platform/fake_time_capability.h"
#include "platform/memory_settings_store.h"
#include "sync/sync_context.h"
#include "sync/sync_flags.h"

namespace horalux::test {

// The objects one clock update works on, all fakes, and the context that refers to them.
struct SyncFixture {
    explicit SyncFixture(const SystemTime& pcUtc = {2001, 3, 0, 18, 12, 0, 0, 0},
                         int localOffsetMinutes = 0)
        : clock(pcUtc, localOffsetMinutes) {}

    MemorySettingsStore store;
    FakeSystemClock clock;
    FakeTimeCapability capability;
    ClockSetter setter{clock, capability};
    RuntimeSettings runtime;
    GpsState gps;
    SyncFlags flags;
    SyncContext ctx{store, clock, capability, setter, runtime, gps, flags};
};

}  // namespace horalux::test
