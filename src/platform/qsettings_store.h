#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <mutex>
#include <string>

#include "platform/file_stamp.h"
#include "platform/settings_store.h"

namespace horalux {

// The store as an INI file through QSettings: "Quorvane/Horalux.ini" under $XDG_CONFIG_HOME
// (or ~/.config). Every write is synced at once; QSettings writes a temporary file and renames
// it, so a crash never leaves half a file. Integers are kept as 32-bit two's complement.
//
// A read sees what another writer (a hand edit, another copy) has changed: the file is read
// again whenever it is no longer the one last read. Telling that takes one stat; asking
// QSettings would take several (it looks at the system-wide and organisation-wide files
// too), and the pages read a few settings every second.
//
// With HORALUX_TRACE=1 each write is reported on stderr as "horalux: stored SECTION/KEY=VALUE".
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
    // Reads the file again if it has changed since it was last read or written. Under mutex_.
    void SyncIfChanged() const;
    // Remembers the file as synced at `stamp` (after a write, the file as it now is, so that
    // the next read need not read it again).
    void Synced(const FileStamp& stamp) const;
    void Trace(std::string_view section, std::string_view key, std::string_view value) const;

    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
    std::string path_;
    mutable bool synced_ = false;
    mutable FileStamp stamp_;
    bool trace_;
};

}  // namespace horalux
