#include "app/runtime_settings.h"

#include "app/settings_keys.h"

namespace horalux {

void RuntimeSettings::load(const SettingsStore& store) {
    updateRate = static_cast<uint16_t>(store.read(keys::TimeUpdateRate));
    lockNeedsGoodGga = store.read(keys::TLGPSGood);
    lockSatellites = static_cast<uint16_t>(store.read(keys::TLSats));
    useNetworkTime = store.read(keys::UseNetworkTime);
    daytimePort = store.read(keys::TimeServerPort);
    setBeep = store.read(keys::EnableSetBeep);
    litColour = static_cast<uint32_t>(store.read(keys::ClockEnableSegColor));
    unlitColour = static_cast<uint32_t>(store.read(keys::ClockDisableSegColor));
    feedChrony = store.read(keys::FeedChrony);
    chronyShmUnit = store.read(keys::ChronyShmUnit);
}

std::string RuntimeSettings::currentServer() const {
    std::lock_guard lock(serverMutex_);
    return currentServer_;
}

void RuntimeSettings::setCurrentServer(std::string name) {
    std::lock_guard lock(serverMutex_);
    currentServer_ = std::move(name);
}

}  // namespace horalux
