#pragma once

#include <functional>
#include <string>
#include <vector>

namespace horalux {

// What one source saw of other services that keep this machine's clock.
struct TimeServiceReport {
    // Time daemons running, by name ("systemd-timesyncd", "chronyd", "ntpd").
    std::vector<std::string> daemons;
    // The system's clock settings (org.freedesktop.timedate1) report network time on.
    bool ntpEnabled = false;

    friend bool operator==(const TimeServiceReport&, const TimeServiceReport&) = default;
};

// A place to look for other time services: the process table, the system's clock settings. A
// look never blocks its caller: `report` is called once, later, on the caller's thread (through
// its event loop) and within a bounded time, with an empty report when the source could not
// tell. Nothing is changed anywhere.
class TimeServiceSource {
  public:
    using Report = std::function<void(const TimeServiceReport&)>;

    virtual ~TimeServiceSource() = default;
    virtual void detect(Report report) = 0;
};

}  // namespace horalux
