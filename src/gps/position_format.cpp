#include "gps/position_format.h"

#include <cmath>
#include <cstdint>

#include "app/settings_keys.h"

namespace horalux {

namespace {

constexpr QChar kDegree(0x00B0);
// Angles at or beyond this many degrees cannot be split into whole degrees and minutes exactly.
constexpr double kLargestAngle = 1e15;

// The hemisphere letter, then the angle in the stored format. `degreeDigits` is 2 for the
// latitude and 3 for the longitude.
QString FormatAngle(const SettingsStore& store, double value, char positive, char negative,
                    int degreeDigits, const QString& otherFormat) {
    const int32_t format = store.read(keys::PositionFormat);
    if (format < 0 || format > 2) {
        return otherFormat;
    }
    const char letter = value >= 0 ? positive : negative;
    const double a = std::fabs(value);
    if (!std::isfinite(a) || a >= kLargestAngle) {
        return QStringLiteral("ERROR");
    }
    if (format == 2) {
        return QString::asprintf("%c %0*.10f", letter, degreeDigits + 11, a) + kDegree;
    }
    // The minutes in units of 1/10000, rounded; 60 minutes carry into the degrees.
    uint64_t degrees = static_cast<uint64_t>(a);
    uint64_t minutes = static_cast<uint64_t>((a - static_cast<double>(degrees)) * 600000 + 0.5);
    if (minutes >= 600000) {
        minutes -= 600000;
        ++degrees;
    }
    const QString head = QString::asprintf("%c %0*llu", letter, degreeDigits,
                                           static_cast<unsigned long long>(degrees)) +
                         kDegree;
    if (format == 0) {
        return head + QString::asprintf(" %07.04f", static_cast<double>(minutes) * 0.0001);
    }
    const int wholeMinutes = static_cast<int>(minutes / 10000);
    const double seconds = static_cast<double>(minutes % 10000) * 0.0001 * 60;
    return head + QString::asprintf(" %02d' %06.03f", wholeMinutes, seconds);
}

}  // namespace

QString FormatLatitude(const SettingsStore& store, double latitude) {
    return FormatAngle(store, latitude, 'N', 'S', 2, QStringLiteral("ERROR"));
}

QString FormatLongitude(const SettingsStore& store, double longitude) {
    return FormatAngle(store, longitude, 'E', 'W', 3, QString());
}

QString FormatAltitude(const SettingsStore& store, double altitude) {
    const bool feet = store.read(keys::Units) == 1;
    const double value = altitude * (feet ? 3.28083989501 : 1.0);
    return QString::asprintf("%-8.02f %s       ", value, feet ? "ft" : "m");
}

}  // namespace horalux
