#include "platform/qsettings_store.h"

#include <QStringList>
#include <QVariant>
#include <cstdio>

#include "platform/trace_request.h"

namespace horalux {

namespace {

QString qstr(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString path(std::string_view section, std::string_view key) {
    return qstr(section) + QLatin1Char('/') + qstr(key);
}

// A hand-edited value with an unquoted comma reads back as a list: join it again.
QString asText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

}  // namespace

QSettingsStore::QSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Quorvane"), QStringLiteral("Horalux"))),
      path_(settings_->fileName().toStdString()),
      trace_(TraceRequested()) {}

QSettingsStore::QSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)),
      path_(settings_->fileName().toStdString()),
      trace_(TraceRequested()) {}

void QSettingsStore::Trace(std::string_view section, std::string_view key,
                           std::string_view value) const {
    if (trace_) {
        std::fprintf(stderr, "horalux: stored %.*s/%.*s=%.*s\n", static_cast<int>(section.size()),
                     section.data(), static_cast<int>(key.size()), key.data(),
                     static_cast<int>(value.size()), value.data());
        std::fflush(stderr);
    }
}

void QSettingsStore::SyncIfChanged() const {
    const FileStamp stamp = FileStamp::Of(path_);
    if (synced_ && stamp == stamp_) {
        return;
    }
    settings_->sync();
    // The stamp from before the reading: a change that lands while it reads is read next time.
    Synced(stamp);
}

void QSettingsStore::Synced(const FileStamp& stamp) const {
    synced_ = settings_->status() == QSettings::NoError;
    stamp_ = stamp;
}

QString QSettingsStore::fileName() const {
    return settings_->fileName();
}

int32_t QSettingsStore::readInt(std::string_view section, std::string_view key,
                                int32_t defaultValue) const {
    std::lock_guard lock(mutex_);
    SyncIfChanged();  // pick up what another process or a hand edit changed
    const QVariant value = settings_->value(path(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // Decimal as the program writes it; a hand-edited 0x prefix reads as hexadecimal.
    const QString text = asText(value).trimmed();
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    bool ok = false;
    const qlonglong number = hex ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
    if (!ok) {
        return defaultValue;
    }
    // 32-bit two's complement, as the store keeps integers.
    return static_cast<int32_t>(static_cast<uint32_t>(number));
}

std::string QSettingsStore::readString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
    std::lock_guard lock(mutex_);
    SyncIfChanged();
    const QVariant value = settings_->value(path(section, key));
    if (!value.isValid()) {
        return std::string(defaultValue);
    }
    return asText(value).toStdString();
}

void QSettingsStore::writeInt(std::string_view section, std::string_view key, int32_t value) {
    std::lock_guard lock(mutex_);
    settings_->setValue(path(section, key), value);
    settings_->sync();
    Synced(FileStamp::Of(path_));
    Trace(section, key, std::to_string(value));
}

void QSettingsStore::writeString(std::string_view section, std::string_view key,
                                 std::string_view value) {
    std::lock_guard lock(mutex_);
    settings_->setValue(path(section, key), qstr(value));
    settings_->sync();
    Synced(FileStamp::Of(path_));
    Trace(section, key, value);
}

}  // namespace horalux
