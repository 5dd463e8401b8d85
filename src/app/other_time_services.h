#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/time_service_source.h"

namespace horalux {

// Looks for other services that keep this PC's clock (their corrections undo or fight ours) in
// every source at once and says what it found in one line for the user. It only looks.
class OtherTimeServices {
  public:
    using Done = std::function<void(const std::string& line)>;

    explicit OtherTimeServices(std::vector<TimeServiceSource*> sources);

    // Starts a look in every source; `done` gets the line once all have reported (each within its
    // own bound). A new look supersedes one under way, whose reports are then dropped.
    void detect(Done done);

    // The reports of all sources as one: each daemon once, in the order first seen.
    static TimeServiceReport Merge(const std::vector<TimeServiceReport>& reports);
    // The line naming what keeps the clock; empty when nothing does. Running daemons are named;
    // the system's NTP setting only when no daemon was seen (it is then a service of its own).
    static std::string LineFor(const TimeServiceReport& merged);

  private:
    std::vector<TimeServiceSource*> sources_;
    // The number of the look under way; reports hold it weakly, so none lands after this is gone.
    std::shared_ptr<unsigned> generation_ = std::make_shared<unsigned>(0);
};

}  // namespace horalux
