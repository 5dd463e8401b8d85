#include "app/other_time_services.h"

#include <algorithm>
#include <memory>

namespace horalux {

OtherTimeServices::OtherTimeServices(std::vector<TimeServiceSource*> sources)
    : sources_(std::move(sources)) {}

void OtherTimeServices::detect(Done done) {
    const unsigned generation = ++*generation_;
    const std::weak_ptr<unsigned> current = generation_;
    struct Look {
        std::vector<TimeServiceReport> reports;
        size_t waiting = 0;
        Done done;
    };
    auto look = std::make_shared<Look>();
    look->reports.resize(sources_.size());
    look->waiting = sources_.size();
    look->done = std::move(done);
    if (sources_.empty()) {
        look->done(LineFor({}));
        return;
    }
    for (size_t i = 0; i < sources_.size(); ++i) {
        sources_[i]->detect([current, look, i, generation](const TimeServiceReport& report) {
            look->reports[i] = report;
            const std::shared_ptr<unsigned> now = current.lock();
            if (--look->waiting == 0 && now && *now == generation) {
                look->done(LineFor(Merge(look->reports)));
            }
        });
    }
}

TimeServiceReport OtherTimeServices::Merge(const std::vector<TimeServiceReport>& reports) {
    TimeServiceReport merged;
    for (const TimeServiceReport& report : reports) {
        for (const std::string& daemon : report.daemons) {
            if (std::find(merged.daemons.begin(), merged.daemons.end(), daemon) ==
                merged.daemons.end()) {
                merged.daemons.push_back(daemon);
            }
        }
        merged.ntpEnabled = merged.ntpEnabled || report.ntpEnabled;
    }
    return merged;
}

std::string OtherTimeServices::LineFor(const TimeServiceReport& merged) {
    const std::string effect = " will undo or fight Horalux's.";
    const std::vector<std::string>& names = merged.daemons;
    if (names.empty()) {
        if (merged.ntpEnabled) {
            return "The system's network time synchronisation (NTP) keeps this PC's clock: its "
                   "corrections" +
                   effect;
        }
        return {};
    }
    std::string list = names.front();
    for (size_t i = 1; i < names.size(); ++i) {
        list += (i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    if (names.size() == 1) {
        return "Another time service keeps this PC's clock: " + list + ". Its corrections" + effect;
    }
    return "Other time services keep this PC's clock: " + list + ". Their corrections" + effect;
}

}  // namespace horalux
