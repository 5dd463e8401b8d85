#include "app/settings_keys.h"

#include <cstdio>

namespace horalux::keys {

std::string netServerKey(int slot) {
    char key[32];
    std::snprintf(key, sizeof key, "NetServer-%02d", slot);
    return key;
}

StringSetting netServer(int slot) {
    static const std::array<std::string, kServerSlots> names = [] {
        std::array<std::string, kServerSlots> all;
        for (int i = 0; i < kServerSlots; ++i) {
            all[static_cast<size_t>(i)] = netServerKey(i);
        }
        return all;
    }();
    if (slot < 0 || slot >= kServerSlots) {
        return {kNetwork, "", kMissingServer};
    }
    return {kNetwork, names[static_cast<size_t>(slot)].c_str(), kMissingServer};
}

}  // namespace horalux::keys
