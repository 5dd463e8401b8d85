#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace horalux {

// A key of the store with its type and the default its reader passes.
struct IntSetting {
    const char* section;
    const char* key;
    int32_t defaultValue;
};

struct StringSetting {
    const char* section;
    const char* key;
    const char* defaultValue;
};

// The per-user settings store: sections holding named integers and strings. Reads never fail
// (an absent or unreadable value yields the default); writes take effect at once. Implementations
// are safe to use from several threads.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    virtual int32_t readInt(std::string_view section, std::string_view key,
                            int32_t defaultValue) const = 0;
    virtual std::string readString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue = {}) const = 0;
    virtual void writeInt(std::string_view section, std::string_view key, int32_t value) = 0;
    virtual void writeString(std::string_view section, std::string_view key,
                             std::string_view value) = 0;

    int32_t read(const IntSetting& s) const { return readInt(s.section, s.key, s.defaultValue); }
    std::string read(const StringSetting& s) const {
        return readString(s.section, s.key, s.defaultValue);
    }
    void write(const IntSetting& s, int32_t value) { writeInt(s.section, s.key, value); }
    void write(const StringSetting& s, std::string_view value) {
        writeString(s.section, s.key, value);
    }
};

}  // namespace horalux
