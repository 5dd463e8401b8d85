#include "displays/system_legend.h"

#include <QStringList>

namespace horalux {

ColorRef SystemLabelColour(GnssSystem system) {
    switch (system) {
        case GnssSystem::Gps:
            return makeColorRef(96, 255, 96);  // light green
        case GnssSystem::Glonass:
            return makeColorRef(255, 112, 112);  // light red
        case GnssSystem::Galileo:
            return makeColorRef(80, 200, 255);  // sky blue
        case GnssSystem::BeiDou:
            return makeColorRef(255, 160, 48);  // orange
        case GnssSystem::Qzss:
            return makeColorRef(255, 112, 255);  // pink
        case GnssSystem::NavIc:
            return makeColorRef(176, 144, 255);  // lavender
        case GnssSystem::Sbas:
            return makeColorRef(255, 255, 255);  // white
    }
    return makeColorRef(255, 255, 255);
}

namespace {

QString CountText(const SystemCount& c) {
    return QStringLiteral("%1 %2, %3 used")
        .arg(QString::fromLatin1(GnssSystemName(c.system)))
        .arg(c.inView)
        .arg(c.used);
}

}  // namespace

std::vector<SystemLegendEntry> SystemLegend(const std::vector<SystemCount>& counts) {
    std::vector<SystemLegendEntry> entries;
    for (const SystemCount& c : counts) {
        entries.push_back({c.system, QChar::fromLatin1(GnssSystemLetter(c.system)),
                           SystemLabelColour(c.system), CountText(c)});
    }
    return entries;
}

QString SystemCountsText(const std::vector<SystemCount>& counts) {
    QStringList parts;
    for (const SystemCount& c : counts) {
        parts << CountText(c);
    }
    return parts.join(QStringLiteral("; "));
}

}  // namespace horalux
