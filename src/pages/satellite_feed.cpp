#include "pages/satellite_feed.h"

#include <algorithm>

namespace horalux {

namespace {

// The status display's twelve: the bars the graph takes from the record.
constexpr int kCopiedSignals = 12;

void Put(SatelliteSlot& slot, const SkySatellite& s) {
    slot.prn = s.prn;
    slot.azimuth = s.azimuth;
    slot.elevation = s.elevation;
    slot.used = s.used ? 1 : 0;
    slot.snr = s.snr;
    slot.system = s.system;
}

void Empty(SatelliteSlot& slot) {
    slot.prn = slot.azimuth = slot.elevation = slot.used = 0;
    slot.system.reset();
}

}  // namespace

bool ShowsSkyView(const SkyView* view) {
    return view != nullptr && !view->GpsOnly();
}

void FillSlotsFromRecord(const GpsState& gps, SkyPlotSlots& slots) {
    std::array<SatelliteInfo, GpsState::kTableSize> satellites{};
    gps.CopySatellites(satellites);
    const int copied = std::clamp(gps.GetSatellitesInView(), 0,
                                  std::min<int>(GpsState::kTableSize, SkyPlotState::kSlots));
    for (int i = 0; i < SkyPlotState::kSlots; ++i) {
        SatelliteSlot& slot = slots[static_cast<size_t>(i)];
        if (i < copied) {
            const SatelliteInfo& s = satellites[static_cast<size_t>(i)];
            slot.prn = s.prn;
            slot.azimuth = s.azimuth;
            slot.elevation = s.elevation;
            slot.used = s.used;
            slot.snr = s.snr;
            slot.system.reset();
        } else {
            Empty(slot);
        }
    }
}

void FillSlotsFromView(const std::vector<SkySatellite>& shown, SkyPlotSlots& slots) {
    const size_t count = std::min(shown.size(), slots.size());
    std::vector<bool> placed(count, false);
    std::array<bool, SkyPlotState::kSlots> taken{};
    // Those already on the plot stay in their slots; the others' slots are emptied.
    for (size_t i = 0; i < slots.size(); ++i) {
        SatelliteSlot& slot = slots[i];
        for (size_t j = 0; slot.system && j < count; ++j) {
            if (!placed[j] && shown[j].system == *slot.system && shown[j].prn == slot.prn) {
                Put(slot, shown[j]);
                placed[j] = taken[i] = true;
                break;
            }
        }
        if (!taken[i]) {
            Empty(slot);
        }
    }
    // Newcomers take the free slots in order.
    size_t free = 0;
    for (size_t j = 0; j < count; ++j) {
        if (placed[j]) {
            continue;
        }
        while (free < slots.size() && taken[free]) {
            ++free;
        }
        if (free == slots.size()) {
            break;  // not reached: no more satellites than slots are placed
        }
        Put(slots[free], shown[j]);
        taken[free] = true;
    }
}

int FillBarsFromRecord(const GpsState& gps, SignalQualityState& graph) {
    std::array<SignalInfo, GpsState::kTableSize> signalTable{};
    gps.CopySignals(signalTable);
    for (size_t i = 0; i < graph.bars.size(); ++i) {
        SignalBar& bar = graph.bars[i];
        if (i < kCopiedSignals) {
            const SignalInfo& s = signalTable[i];
            bar = {s.prn, s.snr, s.used, std::nullopt};
        } else {
            bar = SignalBar{};
        }
    }
    return gps.GetSatellitesInView();
}

int FillBarsFromView(const std::vector<SkySatellite>& ordered, SignalQualityState& graph) {
    const size_t count = std::min(ordered.size(), graph.bars.size());
    for (size_t i = 0; i < graph.bars.size(); ++i) {
        if (i < count) {
            const SkySatellite& s = ordered[i];
            graph.bars[i] = {s.prn, s.snr, s.used ? 1 : 0, s.system};
        } else {
            graph.bars[i] = SignalBar{};
        }
    }
    return static_cast<int>(count);
}

}  // namespace horalux
