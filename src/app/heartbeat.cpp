#include "app/heartbeat.h"

#include "sync/time_lock.h"

namespace horalux {

Heartbeat::Heartbeat(const SystemClock& clock, RuntimeSettings& runtime, GpsState& gps,
                     SyncFlags& flags, NmeaReader& reader, UpdateStarter& starter,
                     MessageService& messages)
    : clock_(clock),
      runtime_(runtime),
      gps_(gps),
      flags_(flags),
      reader_(reader),
      starter_(starter),
      messages_(messages),
      minutes_(runtime.updateRate.load()) {}

Heartbeat::TickResult Heartbeat::Tick() {
    PublishLock();

    TickResult result;
    const SystemTime local = clock_.localNow();
    if (minutes_.OnLocalMinute(local.minute, runtime_.updateRate.load())) {
        starter_.Start();
        if (runtime_.setBeep.load() == 1) {
            messages_.beep(0);
        }
        result.updateStarted = true;
    }

    if (local.second != lastSecond_) {
        lastSecond_ = local.second;
        result.newSecond = true;
    }
    return result;
}

void Heartbeat::PublishLock() {
    if (runtime_.useNetworkTime.load() == 1) {
        flags_.timeLocked = 1;
        return;
    }
    reader_.Poll();
    flags_.timeLocked = TimeLockTest(gps_, runtime_);
}

}  // namespace horalux
