#pragma once

#include "app/runtime_settings.h"
#include "gps/gps_state.h"
#include "platform/settings_store.h"
#include "platform/system_clock.h"
#include "platform/time_capability.h"
#include "sync/clock_setter.h"
#include "sync/sync_flags.h"

namespace horalux {

class NtsSessions;

// What a clock update works with: the program's one instance of each, handed in by the
// application (and by tests, with fakes).
struct SyncContext {
    SettingsStore& store;
    SystemClock& clock;
    TimeCapability& capability;
    ClockSetter& setter;  // every clock setting goes through it
    RuntimeSettings& runtime;
    GpsState& gps;
    SyncFlags& flags;
    // What NTS keeps between updates (keys and cookies); none: every NTS update makes a new key
    // exchange.
    NtsSessions* nts = nullptr;
};

}  // namespace horalux
