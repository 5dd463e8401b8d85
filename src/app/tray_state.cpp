#include "app/tray_state.h"

namespace horalux {

TrayState ChooseTrayState(int32_t useNetworkTime, int32_t networkFailed, int32_t syncBusy) {
    if (useNetworkTime != 1) {
        return {kIconGps, "Horalux"};
    }
    if (networkFailed == 1) {
        return {kIconNetworkFailed, "Horalux - Cannot connect to network\ntime server"};
    }
    if (syncBusy == 1) {
        return {kIconNetworkSetting, "Horalux - Setting PC clock to Netwotk Time"};
    }
    return {kIconNetworkOk, "Horalux - Time referenced to\n Network time"};
}

std::string TrayTipText(const std::string& tip) {
    return tip.size() <= kTrayTipMax ? tip : tip.substr(0, kTrayTipMax);
}

std::string TrayTipText(const TrayState& state, const std::string& lastUpdate) {
    const std::string tip = TrayTipText(state.tip);
    return lastUpdate.empty() ? tip : tip + "\n" + lastUpdate;
}

std::optional<TrayState> TrayStateTracker::Next(int32_t useNetworkTime, int32_t networkFailed,
                                                int32_t syncBusy, const std::string& lastUpdate) {
    const TrayState state = ChooseTrayState(useNetworkTime, networkFailed, syncBusy);
    if (state.icon == currentIcon_ && lastUpdate == lastUpdate_) {
        return std::nullopt;
    }
    currentIcon_ = state.icon;
    lastUpdate_ = lastUpdate;
    return state;
}

}  // namespace horalux
