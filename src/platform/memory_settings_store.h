#pragma once

#include <map>
#include <mutex>
#include <string>
#include <variant>

#include "platform/settings_store.h"

namespace horalux {

// A store in memory, for tests. Records how many writes it has taken.
class MemorySettingsStore final : public SettingsStore {
  public:
    int32_t readInt(std::string_view section, std::string_view key,
                    int32_t defaultValue) const override;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const override;
    void writeInt(std::string_view section, std::string_view key, int32_t value) override;
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override;

    bool contains(std::string_view section, std::string_view key) const;
    void remove(std::string_view section, std::string_view key);
    int writeCount() const;
    bool empty() const;

  private:
    using Value = std::variant<int32_t, std::string>;
    static std::string path(std::string_view section, std::string_view key);

    mutable std::mutex mutex_;
    std::map<std::string, Value> values_;
    int writes_ = 0;
};

}  // namespace horalux
