#include "app/time_server_list.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace horalux {

int TimeServerList::storedCount() const {
    return std::clamp(store_.read(keys::NumberOfTimeServers), 0, kCapacity);
}

std::string TimeServerList::chooseServer() {
    std::array<std::string, kCapacity> entries{};
    std::copy(kDefaultServers.begin(), kDefaultServers.end(), entries.begin());

    int n = storedCount();
    bool defaultsWritten = false;
    if (n != 0) {
        for (int i = 0; i < n; ++i) {
            entries[static_cast<size_t>(i)] = store_.read(keys::netServer(i));
        }
    } else {
        for (int i = 0; i < static_cast<int>(kDefaultServers.size()); ++i) {
            store_.write(keys::netServer(i), kDefaultServers[static_cast<size_t>(i)]);
        }
        for (int i = static_cast<int>(kDefaultServers.size()); i < kCapacity; ++i) {
            store_.write(keys::netServer(i), keys::kNoServer);
        }
        // The count last: a list cut short by a crash still reads as "no list" next time.
        store_.write(keys::NumberOfTimeServers, static_cast<int32_t>(kDefaultServers.size()));
        n = static_cast<int>(kDefaultServers.size());
        defaultsWritten = true;
    }

    // Seeded from a millisecond tick count at every call.
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    std::mt19937 generator(static_cast<std::mt19937::result_type>(ticks.count()));
    const std::string& pick = entries[generator() % static_cast<unsigned>(n)];

    if (store_.read(keys::UseRandomServer) != 0) {
        return pick;
    }
    if (defaultsWritten) {
        store_.write(keys::TimeServer, pick);
    }
    return store_.readString(keys::TimeServer.section, keys::TimeServer.key, pick);
}

std::vector<std::string> TimeServerList::loadList() const {
    const int n = storedCount();
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        names.push_back(store_.read(keys::netServer(i)));
    }
    return names;
}

void TimeServerList::saveList(const std::vector<std::string>& names) {
    const int count = static_cast<int>(std::min<size_t>(names.size(), kCapacity));
    store_.write(keys::NumberOfTimeServers, count);
    for (int i = 0; i < count; ++i) {
        store_.write(keys::netServer(i), names[static_cast<size_t>(i)]);
    }
    for (int i = count; i < kCapacity; ++i) {
        store_.write(keys::netServer(i), keys::kNoServer);
    }
}

}  // namespace horalux
