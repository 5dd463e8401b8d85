#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace horalux {

// The tray icon's resource numbers.
inline constexpr int kIconGps = 109;        // GPS is the reference (also the program's icon)
inline constexpr int kIconNetworkOk = 138;  // network reference, last update reached its server
inline constexpr int kIconNetworkSetting = 140;  // network reference, an update is running
inline constexpr int kIconNetworkFailed = 141;   // network reference, the last update failed

// The tray's tip holds at most this many characters.
inline constexpr size_t kTrayTipMax = 63;

// One state of the tray icon: the picture and the tip beside it.
struct TrayState {
    int icon = kIconGps;
    const char* tip = "Horalux";

    friend bool operator==(const TrayState& a, const TrayState& b) {
        return a.icon == b.icon && std::string(a.tip) == b.tip;
    }
};

// The state the tray shows for the reference and the worker's flags. A failed network update wins
// over a running one, so the failure stays visible while the next attempt runs.
TrayState ChooseTrayState(int32_t useNetworkTime, int32_t networkFailed, int32_t syncBusy);

// A tip cut to what the tray holds.
std::string TrayTipText(const std::string& tip);

// The tip with the last clock update's outcome in a few words on a line of its own ("Set 14:02
// UTC, +312 ms"); the state's own text is cut as above, the outcome is added whole.
std::string TrayTipText(const TrayState& state, const std::string& lastUpdate);

// Follows the tray state every 200 ms and says when the icon or the tip has to change. The
// current icon starts unset, so the first call always answers.
class TrayStateTracker {
  public:
    // The new state when its icon differs from the current one, or the last update's words
    // (OutcomeTip, empty before the first update) from the ones shown, else nothing.
    std::optional<TrayState> Next(int32_t useNetworkTime, int32_t networkFailed, int32_t syncBusy,
                                  const std::string& lastUpdate = {});

    int currentIcon() const { return currentIcon_; }

  private:
    int currentIcon_ = -1;
    std::string lastUpdate_;
};

}  // namespace horalux
