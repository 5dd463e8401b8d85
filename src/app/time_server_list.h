#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/settings_keys.h"
#include "platform/settings_store.h"

namespace horalux {

// The configured network time servers, kept in the store's "Network Daytime Protocol" section
// ("NumberOfTimeServers", "NetServer-00" to "NetServer-24", "TimeServer", "UseRandomServer"), and
// the rule that picks the server for the next network update. Nothing is cached: the store is
// the only state. A hand-edited count outside 0..25 is taken as the nearest bound, so no slot
// beyond the 25 is ever read or written.
class TimeServerList {
  public:
    static constexpr int kCapacity = keys::kServerSlots;
    // The servers of a new list. Each answers SNTP and Daytime in the NIST one-line format, so a
    // fresh installation works whichever protocol it uses.
    static constexpr std::array<const char*, 5> kDefaultServers{
        "time.nist.gov",       "time-a-g.nist.gov", "time-b-g.nist.gov",
        "time-a-wwv.nist.gov", "time-a-b.nist.gov",
    };

    explicit TimeServerList(SettingsStore& store) : store_(store) {}

    // The server for the next network update. On a store without a list, writes the defaults
    // first. With "UseRandomServer" set, a random list entry; otherwise "TimeServer", whose default
    // is a random entry (and which is written with it when the defaults were just written).
    std::string chooseServer();

    // The stored list, as the manager dialog opens with it.
    std::vector<std::string> loadList() const;
    // Stores a list (at most the first 25 names) and marks the remaining slots "None". An empty
    // list means "no list": the next chooseServer writes the defaults again.
    void saveList(const std::vector<std::string>& names);

    // "NumberOfTimeServers" bounded to 0..25.
    int storedCount() const;

  private:
    SettingsStore& store_;
};

}  // namespace horalux
