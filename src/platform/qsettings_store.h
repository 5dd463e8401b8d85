#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <mutex>

#include "platform/settings_store.h"

namespace horalux {

// The store as an INI file through QSettings: "Quorvane/Horalux.ini" under $XDG_CONFIG_HOME
// (or ~/.config). Every write is synced at once; QSettings writes a temporary file and renames
// it, so a crash never leaves half a file. Integers are kept as 32-bit two's complement.
class QSettingsStore final : public SettingsStore {
  public:
    QSettingsStore();                                 // the user's store
    explicit QSettingsStore(const QString& iniPath);  // a store at an explicit path

    int32_t readInt(std::string_view section, std::string_view key,
                    int32_t defaultValue) const override;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue = {}) const override;
    void writeInt(std::string_view section, std::string_view key, int32_t value) override;
    void writeString(std::string_view section, std::string_view key,
                     std::string_view value) override;

    QString fileName() const;

  private:
    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};

}  // namespace horalux
