#pragma once

#include <cstdint>

#include "app/minute_counter.h"
#include "app/runtime_settings.h"
#include "app/update_starter.h"
#include "gps/gps_state.h"
#include "gps/nmea_reader.h"
#include "platform/message_service.h"
#include "platform/system_clock.h"
#include "sync/sync_flags.h"

namespace horalux {

// The program's 50 ms heartbeat, driven by the main frame's timer:
// 1. lock: in network mode timeLocked is 1; in GPS mode the reader first consumes what the port
//    has received, then the time-lock test decides timeLocked;
// 2. minute step: on each change of the local minute the minute counter advances; when it reaches
//    "TimeUpdateRate" a clock update starts (whatever the lock says: the worker applies its own
//    rules), with a beep when "EnableSetBeep" is 1;
// 3. second step: reports each new local second, when the date tip's text is due.
//
// Runs on the user-interface thread, the one that writes GpsState.
class Heartbeat {
  public:
    struct TickResult {
        bool updateStarted = false;  // a periodic clock update was started on this tick
        bool newSecond = false;      // the local second changed since the last tick
    };

    // The minute counter starts from the update rate as it is now.
    Heartbeat(const SystemClock& clock, RuntimeSettings& runtime, GpsState& gps, SyncFlags& flags,
              NmeaReader& reader, UpdateStarter& starter, MessageService& messages);

    TickResult Tick();

    uint16_t minuteCount() const { return minutes_.count(); }

  private:
    void PublishLock();

    const SystemClock& clock_;
    RuntimeSettings& runtime_;
    GpsState& gps_;
    SyncFlags& flags_;
    NmeaReader& reader_;
    UpdateStarter& starter_;
    MessageService& messages_;

    MinuteCounter minutes_;
    uint32_t lastSecond_ = 0;
};

}  // namespace horalux
