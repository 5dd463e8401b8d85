#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/settings_keys.h"
#include "app/time_server_list.h"
#include "platform/memory_settings_store.h"

namespace horalux {
namespace {

// A store that remembers every key read or written, to show that no slot beyond the 25 is
// touched.
class SpyStore final : public SettingsStore {
  public:
    int32_t readInt(std::string_view section, std::string_view key,
                    int32_t defaultValue) const override {
        touched.insert(std::string(key));
        return inner.readInt(section, key, defaultValue);
    }
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const override {
        touched.insert(std::string(key));
        return inner.readString(section, key, defaultValue);
    }
    void writeInt(std::string_view section, std::string_view key, int32_t value) override {
        touched.insert(std::string(key));
        inner.writeInt(section, key, value);
    }
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override {
        touched.insert(std::string(key));
        inner.writeString(section, key, value);
    }

    // Every key touched that is neither a server slot 00..24 nor one of the list's other keys.
    std::vector<std::string> strayKeys() const {
        std::vector<std::string> stray;
        for (const std::string& key : touched) {
            bool known = key == keys::NumberOfTimeServers.key || key == keys::TimeServer.key ||
                         key == keys::UseRandomServer.key;
            for (int i = 0; i < keys::kServerSlots; ++i) {
                known = known || key == keys::netServerKey(i);
            }
            if (!known) {
                stray.push_back(key);
            }
        }
        return stray;
    }

    MemorySettingsStore inner;
    mutable std::set<std::string> touched;
};

std::vector<std::string> defaults() {
    return {TimeServerList::kDefaultServers.begin(), TimeServerList::kDefaultServers.end()};
}

bool isOneOf(const std::string& name, const std::vector<std::string>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string slot(const SettingsStore& store, int i) {
    return store.read(keys::netServer(i));
}

// Calls chooseServer over many milliseconds (the generator is seeded from the tick count) and
// returns the distinct answers.
std::set<std::string> answersOverTime(TimeServerList& list, int calls = 60) {
    std::set<std::string> seen;
    for (int i = 0; i < calls; ++i) {
        seen.insert(list.chooseServer());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return seen;
}

TEST(TimeServerListTest, AnEmptyStoreGetsTheDefaultListAndAFixedDefaultServer) {
    MemorySettingsStore store;
    TimeServerList list(store);
    const std::string chosen = list.chooseServer();

    EXPECT_TRUE(isOneOf(chosen, defaults())) << chosen;
    EXPECT_EQ(store.read(keys::NumberOfTimeServers), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(slot(store, i), defaults()[static_cast<size_t>(i)]);
    }
    for (int i = 5; i < 25; ++i) {
        EXPECT_EQ(slot(store, i), "None") << i;
    }
    EXPECT_EQ(store.read(keys::TimeServer), chosen);
    EXPECT_FALSE(store.contains(keys::kNetwork, "NetServer-25"));

    // From now on the stored choice is kept.
    const int writes = store.writeCount();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(list.chooseServer(), chosen);
    }
    EXPECT_EQ(store.writeCount(), writes);
    EXPECT_EQ(list.loadList(), defaults());
}

TEST(TimeServerListTest, RandomChoicePicksFromTheListAndLeavesTimeServerAlone) {
    MemorySettingsStore store;
    TimeServerList list(store);
    const std::vector<std::string> three{"a.example", "b.example", "c.example"};
    list.saveList(three);
    store.write(keys::UseRandomServer, 1);
    store.write(keys::TimeServer, "fixed.example");
    const int writes = store.writeCount();

    const std::set<std::string> seen = answersOverTime(list);
    for (const std::string& name : seen) {
        EXPECT_TRUE(isOneOf(name, three)) << name;
    }
    EXPECT_GE(seen.size(), 2u);  // not stuck on one entry
    EXPECT_EQ(store.writeCount(), writes);
    EXPECT_EQ(store.read(keys::TimeServer), "fixed.example");

    list.saveList({"only.example"});
    EXPECT_EQ(answersOverTime(list, 10), std::set<std::string>{"only.example"});
}

TEST(TimeServerListTest, FixedChoiceUsesTimeServerAndOnlyDefaultsToARandomEntry) {
    MemorySettingsStore store;
    TimeServerList list(store);
    const std::vector<std::string> three{"a.example", "b.example", "c.example"};
    list.saveList(three);

    // No "TimeServer" stored on an existing list: a random entry, not stored.
    EXPECT_TRUE(isOneOf(list.chooseServer(), three));
    EXPECT_FALSE(store.contains(keys::kNetwork, keys::TimeServer.key));

    store.write(keys::TimeServer, "elsewhere.example");  // need not be on the list
    EXPECT_EQ(list.chooseServer(), "elsewhere.example");
}

TEST(TimeServerListTest, AnEmptiedListIsReplacedByTheDefaults) {
    MemorySettingsStore store;
    TimeServerList list(store);
    list.saveList({"a.example", "b.example"});
    store.write(keys::TimeServer, "a.example");

    list.saveList({});
    EXPECT_EQ(store.read(keys::NumberOfTimeServers), 0);
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(slot(store, i), "None") << i;
    }
    EXPECT_TRUE(list.loadList().empty());

    // The next choice writes the defaults again and, with random choice off, overwrites the
    // fixed server with one of them.
    const std::string chosen = list.chooseServer();
    EXPECT_TRUE(isOneOf(chosen, defaults())) << chosen;
    EXPECT_EQ(store.read(keys::TimeServer), chosen);
    EXPECT_EQ(list.loadList(), defaults());
}

TEST(TimeServerListTest, SaveAndLoadKeepTheOrderAndMarkTheRest) {
    MemorySettingsStore store;
    TimeServerList list(store);
    list.saveList({"b.example", "a.example", "10.0.0.1"});
    EXPECT_EQ(store.read(keys::NumberOfTimeServers), 3);
    EXPECT_EQ(slot(store, 0), "b.example");
    EXPECT_EQ(slot(store, 2), "10.0.0.1");
    EXPECT_EQ(slot(store, 3), "None");
    EXPECT_EQ(slot(store, 24), "None");
    EXPECT_EQ(list.loadList(), (std::vector<std::string>{"b.example", "a.example", "10.0.0.1"}));

    // Shrinking marks the slots that are no longer used.
    list.saveList({"z.example"});
    EXPECT_EQ(slot(store, 1), "None");
    EXPECT_EQ(list.loadList(), std::vector<std::string>{"z.example"});
}

TEST(TimeServerListTest, MissingAndNoneSlotsWithinTheCountAreUsedAsGiven) {
    MemorySettingsStore store;
    TimeServerList list(store);
    store.write(keys::NumberOfTimeServers, 3);
    store.write(keys::netServer(0), "a.example");
    store.write(keys::netServer(1), "None");
    // slot 2 has nothing stored
    EXPECT_EQ(list.loadList(), (std::vector<std::string>{"a.example", "None", "Error"}));
    store.write(keys::UseRandomServer, 1);
    for (const std::string& name : answersOverTime(list, 20)) {
        EXPECT_TRUE(isOneOf(name, {"a.example", "None", "Error"})) << name;
    }
}

TEST(TimeServerListTest, HandEditedCountsAreBoundedToTheTwentyFiveSlots) {
    {
        SCOPED_TRACE("negative count: no list yet");
        SpyStore store;
        TimeServerList list(store);
        store.write(keys::NumberOfTimeServers, -5);
        EXPECT_EQ(list.storedCount(), 0);
        EXPECT_TRUE(list.loadList().empty());
        EXPECT_TRUE(isOneOf(list.chooseServer(), defaults()));
        EXPECT_EQ(store.read(keys::NumberOfTimeServers), 5);
        EXPECT_TRUE(store.strayKeys().empty());
    }
    for (int count : {26, 1000, 0x7fffffff}) {
        SCOPED_TRACE(count);
        SpyStore store;
        TimeServerList list(store);
        std::vector<std::string> names;
        for (int i = 0; i < 25; ++i) {
            names.push_back("s" + std::to_string(i) + ".example");
        }
        list.saveList(names);
        store.write(keys::NumberOfTimeServers, count);
        store.inner.writeString(keys::kNetwork, "NetServer-25", "beyond.example");

        EXPECT_EQ(list.storedCount(), 25);
        EXPECT_EQ(list.loadList(), names);
        store.write(keys::UseRandomServer, 1);
        for (const std::string& name : answersOverTime(list, 30)) {
            EXPECT_TRUE(isOneOf(name, names)) << name;
        }
        EXPECT_TRUE(store.strayKeys().empty());
    }
    {
        SCOPED_TRACE("saving more than 25 names");
        SpyStore store;
        TimeServerList list(store);
        std::vector<std::string> names(30, "x.example");
        list.saveList(names);
        EXPECT_EQ(store.read(keys::NumberOfTimeServers), 25);
        EXPECT_EQ(list.loadList().size(), 25u);
        EXPECT_TRUE(store.strayKeys().empty());
    }
}

}  // namespace
}  // namespace horalux
