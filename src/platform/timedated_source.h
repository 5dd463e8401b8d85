#pragma once

#include <QDBusConnection>
#include <QObject>
#include <optional>

#include "platform/time_service_source.h"

namespace horalux {

// The system's clock settings over D-Bus: org.freedesktop.timedate1 (systemd-timedated, started
// on demand by the bus) reports in its property NTP whether network time synchronisation is on.
// One asynchronous Properties.GetAll, bounded by `timeoutMs`; no bus, no service, an error or
// no answer in time give an empty report. Only reads: nothing is asked to change.
class TimedatedSource final : public TimeServiceSource {
  public:
    static constexpr int kTimeoutMs = 3000;
    static constexpr const char* kService = "org.freedesktop.timedate1";
    static constexpr const char* kPath = "/org/freedesktop/timedate1";

    // The system bus, reached at the first look (not before the program needs it).
    TimedatedSource() = default;
    TimedatedSource(QDBusConnection bus, int timeoutMs);

    void detect(Report report) override;

  private:
    std::optional<QDBusConnection> bus_;
    int timeoutMs_ = kTimeoutMs;
    QObject context_;  // replies are delivered through it, and not at all once it is gone
};

}  // namespace horalux
