#include "gps/sky_view.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace horalux {

void SkyView::AddGsvMessage(const GsvMessage& message) {
    const auto source = static_cast<int>(message.source);
    if (source < 0 || source >= kGnssSourceCount || message.signal < 0 ||
        message.signal >= kSignalIds || message.messageCount < 1 ||
        message.messageCount > kMaxGroupMessages || message.messageNumber < 1 ||
        message.messageNumber > message.messageCount) {
        return;
    }
    Group& group = groups_[static_cast<size_t>(source * kSignalIds + message.signal)];

    if (message.messageNumber == 1) {
        group.pending.clear();
        group.pendingCount = message.messageCount;
        group.nextMessage = 1;
    }
    if (message.messageNumber != group.nextMessage || message.messageCount != group.pendingCount) {
        // Out of order, a message lost or a count that changed: wait for the next message 1.
        group.pending.clear();
        group.nextMessage = 0;
        return;
    }

    const int count = std::clamp(message.satelliteCount, 0, 4);
    for (int k = 0; k < count; ++k) {
        const GsvMessage::Satellite& s = message.satellites[static_cast<size_t>(k)];
        const std::optional<SatelliteId> id = IdentifySatellite(message.source, s.number);
        if (!id) {
            continue;
        }
        const bool used =
            std::find(usedIds_.begin(), usedIds_.end(), *id) != usedIds_.end() ||
            std::find(usedNumbers_.begin(), usedNumbers_.end(), s.number) != usedNumbers_.end();
        group.pending.push_back({*id, {id->system, s.number, s.elevation, s.azimuth, s.snr, used}});
    }

    if (message.messageNumber < message.messageCount) {
        ++group.nextMessage;
        return;
    }
    group.satellites = std::move(group.pending);
    group.pending.clear();
    group.nextMessage = 0;
    if (group.completed) {
        group.interval = std::clamp(group.age, 1, kMaxReportInterval);
    }
    group.completed = true;
    group.present = true;
    group.age = 0;
    if (message.source != GnssSource::Gps) {
        otherThanGps_ = true;
    }
    ++revision_;
}

void SkyView::BeginGsaRun() {
    usedIds_.clear();
    usedNumbers_.clear();
}

void SkyView::MarkUsed(GnssSource source, int number) {
    const std::optional<SatelliteId> id = IdentifySatellite(source, number);
    if (id && std::find(usedIds_.begin(), usedIds_.end(), *id) == usedIds_.end() &&
        usedIds_.size() < kMaxUsed) {
        usedIds_.push_back(*id);
    }
}

void SkyView::MarkUsedNumber(int number) {
    if (number > 0 &&
        std::find(usedNumbers_.begin(), usedNumbers_.end(), number) == usedNumbers_.end() &&
        usedNumbers_.size() < kMaxUsed) {
        usedNumbers_.push_back(number);
    }
}

void SkyView::SecondPassed() {
    for (Group& group : groups_) {
        if (!group.completed) {
            continue;
        }
        group.age = std::min(group.age + 1, kMaxReportInterval + kSilentSeconds);
        if (group.present && group.age >= group.interval - 1 + kSilentSeconds) {
            group.present = false;
            group.satellites.clear();
            ++revision_;
        }
    }
}

void SkyView::Clear() {
    for (Group& group : groups_) {
        group = Group{};
    }
    BeginGsaRun();
    otherThanGps_ = false;
    ++revision_;
}

std::vector<SkySatellite> SkyView::Satellites() const {
    std::vector<Entry> all;
    for (const Group& group : groups_) {
        if (group.present) {
            all.insert(all.end(), group.satellites.begin(), group.satellites.end());
        }
    }
    // By satellite, each one's entries in group order (source, then signal).
    std::stable_sort(all.begin(), all.end(),
                     [](const Entry& a, const Entry& b) { return a.id < b.id; });
    std::vector<SkySatellite> out;
    for (size_t i = 0; i < all.size(); ++i) {
        const SkySatellite& s = all[i].satellite;
        if (i == 0 || all[i].id != all[i - 1].id) {
            out.push_back(s);
            continue;
        }
        SkySatellite& merged = out.back();
        if (merged.elevation == 0 && merged.azimuth == 0) {
            merged.elevation = s.elevation;
            merged.azimuth = s.azimuth;
        }
        merged.snr = std::max(merged.snr, s.snr);
        merged.used = merged.used || s.used;
    }
    return out;
}

std::vector<SkySatellite> SelectForPlot(std::vector<SkySatellite> satellites, size_t slots) {
    if (satellites.size() <= slots) {
        return satellites;
    }
    // Rank the satellites, keep the best `slots`, then restore the order given.
    std::vector<size_t> order(satellites.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const auto rank = [&](size_t i) {
        const SkySatellite& s = satellites[i];
        const int elevation = s.elevation >= 0 && s.elevation <= 90 ? s.elevation : -1;
        return std::make_tuple(elevation, s.used, s.snr);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rank(a) > rank(b); });
    order.resize(slots);
    std::sort(order.begin(), order.end());
    std::vector<SkySatellite> out;
    out.reserve(slots);
    for (const size_t i : order) {
        out.push_back(satellites[i]);
    }
    return out;
}

std::vector<SkySatellite> OrderForGraph(std::vector<SkySatellite> satellites, size_t bars) {
    std::stable_sort(satellites.begin(), satellites.end(),
                     [](const SkySatellite& a, const SkySatellite& b) {
                         return std::make_pair(a.used, a.snr) > std::make_pair(b.used, b.snr);
                     });
    if (satellites.size() > bars) {
        satellites.resize(bars);
    }
    return satellites;
}

std::vector<SystemCount> CountBySystem(const std::vector<SkySatellite>& satellites) {
    std::array<SystemCount, kGnssSystemCount> counts{};
    for (const SkySatellite& s : satellites) {
        SystemCount& c = counts[static_cast<size_t>(s.system)];
        c.system = s.system;
        ++c.inView;
        c.used += s.used ? 1 : 0;
    }
    std::vector<SystemCount> out;
    for (const SystemCount& c : counts) {
        if (c.inView > 0) {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace horalux
