#include "platform/memory_settings_store.h"

namespace horalux {

std::string MemorySettingsStore::path(std::string_view section, std::string_view key) {
    std::string p(section);
    p += '/';
    p += key;
    return p;
}

int32_t MemorySettingsStore::readInt(std::string_view section, std::string_view key,
                                     int32_t defaultValue) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(path(section, key));
    if (it == values_.end()) {
        return defaultValue;
    }
    if (const auto* number = std::get_if<int32_t>(&it->second)) {
        return *number;
    }
    try {
        return static_cast<int32_t>(std::stoll(std::get<std::string>(it->second), nullptr, 10));
    } catch (...) {
        return defaultValue;
    }
}

std::string MemorySettingsStore::readString(std::string_view section, std::string_view key,
                                            std::string_view defaultValue) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(path(section, key));
    if (it == values_.end()) {
        return std::string(defaultValue);
    }
    if (const auto* number = std::get_if<int32_t>(&it->second)) {
        return std::to_string(*number);
    }
    return std::get<std::string>(it->second);
}

void MemorySettingsStore::writeInt(std::string_view section, std::string_view key, int32_t value) {
    std::lock_guard lock(mutex_);
    values_[path(section, key)] = value;
    ++writes_;
}

void MemorySettingsStore::writeString(std::string_view section, std::string_view key,
                                      std::string_view value) {
    std::lock_guard lock(mutex_);
    values_[path(section, key)] = std::string(value);
    ++writes_;
}

bool MemorySettingsStore::contains(std::string_view section, std::string_view key) const {
    std::lock_guard lock(mutex_);
    return values_.count(path(section, key)) != 0;
}

void MemorySettingsStore::remove(std::string_view section, std::string_view key) {
    std::lock_guard lock(mutex_);
    values_.erase(path(section, key));
}

int MemorySettingsStore::writeCount() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

bool MemorySettingsStore::empty() const {
    std::lock_guard lock(mutex_);
    return values_.empty();
}

}  // namespace horalux
