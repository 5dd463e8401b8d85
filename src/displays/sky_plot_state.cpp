#include "displays/sky_plot_state.h"

#include <QStringList>

#include "displays/system_legend.h"

namespace horalux {

SkyPlotState::SkyPlotState() {
    for (SatelliteSlot& slot : satelliteSlots) {
        slot.colour = usedColour;
    }
    for (int i = 0; i < kGnssSystemCount; ++i) {
        systemColours[static_cast<size_t>(i)] = SystemLabelColour(static_cast<GnssSystem>(i));
    }
}

bool SkyPlotState::SetRingStep(int32_t degrees) {
    if (degrees <= 0) {
        return false;
    }
    ringStep_ = degrees;
    return true;
}

bool SkyPlotState::SetSpokeStep(int32_t degrees) {
    if (degrees <= 0) {
        return false;
    }
    spokeStep_ = degrees;
    return true;
}

QString SkyPlotState::Label(int32_t prn, std::optional<GnssSystem> system) const {
    const QString number =
        system ? QString::fromStdString(SatelliteLabel(*system, prn)) : QString::number(prn);
    QString text;
    for (qsizetype i = 0; i < labelFormat_.size(); ++i) {
        const QChar c = labelFormat_.at(i);
        const QChar next = i + 1 < labelFormat_.size() ? labelFormat_.at(i + 1) : QChar();
        if (c == u'%' && next == u'd') {
            text += number;
            ++i;
        } else if (c == u'%' && next == u'%') {
            text += u'%';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

bool SkyPlotState::Visible(int32_t prn, int32_t azimuth, int32_t elevation) {
    return prn != 0 && azimuth != 0 && elevation != 0 && elevation <= 90;
}

std::vector<SkyMarker> SkyPlotState::Repaint() {
    std::vector<SkyMarker> markers;
    for (size_t i = 0; i < satelliteSlots.size(); ++i) {
        const SatelliteSlot& s = satelliteSlots[i];
        lastDrawn_[i] = {s.prn, s.azimuth, s.elevation, s.colour, s.icon, s.system, s.labelSide};
        if (Visible(s.prn, s.azimuth, s.elevation)) {
            markers.push_back(lastDrawn_[i]);
        }
    }
    return markers;
}

std::vector<SkyMarker> SkyPlotState::Update() {
    std::vector<SkyMarker> markers;
    for (size_t i = 0; i < satelliteSlots.size(); ++i) {
        SatelliteSlot& s = satelliteSlots[i];
        const bool used = s.used == 1;
        if (s.system) {
            s.colour = systemColours[static_cast<size_t>(*s.system)];
        } else {
            s.colour = used ? usedColour : inViewColour;
        }
        s.icon = used ? usedIcon : inViewIcon;
        const SkyMarker now{s.prn, s.azimuth, s.elevation, s.colour, s.icon, s.system, s.labelSide};
        SkyMarker& drawn = lastDrawn_[i];
        if (now == drawn) {
            continue;
        }
        if (Visible(drawn.prn, drawn.azimuth, drawn.elevation)) {
            markers.push_back(drawn);
        }
        if (Visible(now.prn, now.azimuth, now.elevation)) {
            markers.push_back(now);
        }
        drawn = now;
    }
    return markers;
}

QString SkyPlotState::Summary() const {
    QStringList parts;
    int used = 0;
    std::vector<SkySatellite> withSystem;
    for (const SatelliteSlot& s : satelliteSlots) {
        if (!Visible(s.prn, s.azimuth, s.elevation)) {
            continue;
        }
        used += s.used == 1 ? 1 : 0;
        if (s.system) {
            withSystem.push_back({*s.system, s.prn, s.elevation, s.azimuth, s.snr, s.used == 1});
        }
        const QString name = s.system ? QString::fromStdString(SatelliteLabel(*s.system, s.prn))
                                      : QString::number(s.prn);
        parts << QStringLiteral("%1 at azimuth %2%4, elevation %3%4%5")
                     .arg(name)
                     .arg(s.azimuth)
                     .arg(s.elevation)
                     .arg(QChar(0x00B0))
                     .arg(s.used == 1 ? QStringLiteral(", used") : QString());
    }
    if (parts.isEmpty()) {
        return QStringLiteral("No satellites");
    }
    const QString systems =
        withSystem.empty()
            ? QString()
            : QStringLiteral(" (%1)").arg(SystemCountsText(CountBySystem(withSystem)));
    return QStringLiteral("%1 satellite%2, %3 used in the fix%4: ")
               .arg(parts.size())
               .arg(parts.size() == 1 ? QString() : QStringLiteral("s"))
               .arg(used)
               .arg(systems) +
           parts.join(QStringLiteral("; "));
}

}  // namespace horalux
