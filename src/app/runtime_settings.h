#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/settings_store.h"

namespace horalux {

// The process-wide copies of the settings that start-up loads and the pages keep in step, plus
// the current server name. The clock-update worker reads them from its own thread, so every
// field is atomic and the server name is guarded.
class RuntimeSettings {
  public:
    std::atomic<uint16_t> updateRate{60};      // "TimeUpdateRate", minutes
    std::atomic<int32_t> lockNeedsGoodGga{1};  // "TLGPSGood"
    std::atomic<uint16_t> lockSatellites{3};   // "TLSats"
    std::atomic<int32_t> useNetworkTime{0};    // "UseNetworkTime"
    std::atomic<int32_t> daytimePort{13};      // "TimeServerPort"
    std::atomic<int32_t> setBeep{0};           // "EnableSetBeep"
    std::atomic<uint32_t> litColour{
        0xFF0000};  // "ClockEnableSegColor", the lit half of ClockColors
    std::atomic<uint32_t> unlitColour{0x400000};  // "ClockDisableSegColor", the unlit half
    std::atomic<int32_t> feedChrony{0};           // "FeedChrony"
    std::atomic<int32_t> chronyShmUnit{2};        // "ChronyShmUnit"

    // Loads the cached settings from the store in start-up's order. "UseTimrFrom" is not kept
    // here: it lives in the GPS record as its time source.
    void load(const SettingsStore& store);

    // GPS time goes to chronyd: "FeedChrony" is on and GPS, not the network, is the reference.
    bool feedsChronyd() const { return feedChrony.load() == 1 && useNetworkTime.load() != 1; }

    std::string currentServer() const;
    void setCurrentServer(std::string name);

  private:
    mutable std::mutex serverMutex_;
    std::string currentServer_;
};

}  // namespace horalux
