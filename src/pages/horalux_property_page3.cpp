#include "pages/horalux_property_page3.h"

#include <algorithm>
#include <array>

#include "displays/sky_plot.h"
#include "displays/sky_plot_legend.h"
#include "gps/gps_state.h"
#include "gps/position_format.h"
#include "gps/sky_view.h"
#include "pages/satellite_feed.h"
#include "platform/settings_store.h"

namespace horalux {

namespace {

enum : int {
    kLatitude = 1003,
    kLongitude = 1005,
    kAltitude = 1006,
    kSkyPlot = 1013,
    kLegend = 1014,
};

}  // namespace

CHoraluxPropertyPage3::CHoraluxPropertyPage3(const PageServices& services, BubbleTip& tip)
    : PropertyPage(services, tip, QStringLiteral("Position"), QSize(351, 130)) {}

void CHoraluxPropertyPage3::BuildTemplate() {
    Label(QStringLiteral("Latitude:"), {7, 16, 28, 8});
    ReadOnlyEdit(kLatitude, {59, 14, 69, 12});
    Label(QStringLiteral("Longitude:"), {7, 36, 34, 8});
    ReadOnlyEdit(kLongitude, {59, 34, 69, 12});
    Label(QStringLiteral("Altitude:"), {7, 57, 26, 8});
    ReadOnlyEdit(kAltitude, {59, 55, 69, 12});
    skyPlot_ = Place(kSkyPlot, new SkyPlot, {205, 7, 139, 115});
    // Under the position, shown while the plot shows more than GPS.
    legend_ = Place(kLegend, new SkyPlotLegend, {7, 78, 190, 44});
    legend_->hide();
}

void CHoraluxPropertyPage3::OnInitDialog() {
    AddTip(kLatitude, QStringLiteral("Shows the current latitude from GPS receiver."));
    AddTip(kLongitude, QStringLiteral("Shows the current longitude from GPS receiver."));
    AddTip(kAltitude, QStringLiteral("Shows the current altitude from GPS receiver."));
    AddTip(kSkyPlot, QStringLiteral("Shows satellite azimuth and elevation."));
    AddTip(kLegend, QStringLiteral("Shows the satellite systems on the sky plot, the colour of "
                                   "their labels and how many of their satellites are used."));

    skyPlot_->SetSpokeStep(90);
    skyPlot_->SetRingStep(30);
    skyPlot_->SetFontSize(70);
    skyPlot_->SetGridTextColor(0x808080);
    skyPlot_->SetSatelliteIcons(114, 121);
    skyPlot_->SetLabelFormat(QStringLiteral("%d"));

    SetTimer(1, 1000);
}

void CHoraluxPropertyPage3::OnTimer(int) {
    const GpsState& gps = services().gps;
    const SettingsStore& store = services().store;

    double latitude = 0;
    double longitude = 0;
    double altitude = 0;
    gps.GetPosition(latitude, longitude, altitude);
    // Formatted on every tick; a field is touched only when its text changed.
    const std::pair<int, QString> texts[] = {
        {kLatitude, FormatLatitude(store, latitude)},
        {kLongitude, FormatLongitude(store, longitude)},
        {kAltitude, FormatAltitude(store, altitude)},
    };
    for (const auto& [id, text] : texts) {
        if (GetDlgItemText(id) != text) {
            SetDlgItemText(id, text);
        }
    }

    // The satellites: the record's, or every constellation's from the sky view with a legend
    // of the systems present.
    const SkyView* sky = services().sky;
    const bool allSystems = ShowsSkyView(sky);
    if (allSystems) {
        const std::vector<SkySatellite> satellites = sky->Satellites();
        FillSlotsFromView(SelectForPlot(satellites), skyPlot_->state().satelliteSlots);
        legend_->SetCounts(CountBySystem(satellites));
    } else {
        FillSlotsFromRecord(gps, skyPlot_->state().satelliteSlots);
    }
    if (legend_->isHidden() == allSystems) {
        legend_->setHidden(!allSystems);
    }
    skyPlot_->UpdateMarkers();
}

}  // namespace horalux
