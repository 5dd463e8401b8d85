#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "clock/color_ref.h"
#include "displays/sky_plot_geometry.h"
#include "gps/gnss_system.h"

namespace horalux {

// One of the sky plot's satellite slots. The host writes prn, azimuth, elevation, used, snr
// and system; the plot writes colour and icon at each update.
struct SatelliteSlot {
    int32_t prn = 0;        // satellite number; 0 = empty slot
    int32_t azimuth = 0;    // whole degrees from north, clockwise
    int32_t elevation = 0;  // whole degrees above the horizon
    int32_t used = 0;       // 1 = used in the fix
    ColorRef colour = 0;    // label colour chosen at the last update
    int32_t icon = 0;       // icon chosen at the last update (a bitmap number, 0 = none)
    int32_t snr = 0;        // carried, not drawn
    // The satellite's system when the host knows it: the label is then its letter and number
    // ("G05", "R65") in the system's colour. None: the label format with the number, in the used
    // or in-view colour.
    std::optional<GnssSystem> system = std::nullopt;
    // Where the label goes beside the icon, chosen by the plot so that the labels of a crowded
    // sky do not run into each other (slots with a system only; the others' labels stay below).
    LabelSide labelSide = LabelSide::Below;
};

// What one marker on the plot shows.
struct SkyMarker {
    int32_t prn = 0;
    int32_t azimuth = 0;
    int32_t elevation = 0;
    ColorRef colour = 0;
    int32_t icon = 0;
    std::optional<GnssSystem> system = std::nullopt;
    LabelSide labelSide = LabelSide::Below;
    friend bool operator==(const SkyMarker&, const SkyMarker&) = default;
};

// The sky plot's decisions: its configuration, the 40 slots its host fills once a second, and
// the last-drawn record of each slot (the marker on the screen). Markers are combined with the
// plot by exclusive-or, so drawing one again at the same place removes it; Update() says which
// markers to draw so that the screen comes to show the slots, touching only those that changed.
class SkyPlotState {
  public:
    static constexpr int kSlots = 40;

    SkyPlotState();

    // Configuration (the values a plot starts with).
    ColorRef crossColour = 0x00FF00;   // the cross drawn when no icon is configured
    ColorRef usedColour = 0x00FFFF;    // labels of satellites used in the fix (yellow)
    ColorRef inViewColour = 0xC0C0C0;  // labels of satellites only in view (silver)
    ColorRef gridColour = 0xFF0000;    // rings and spokes (blue)
    ColorRef backgroundColour = 0x000000;
    ColorRef gridLabelColour = 0xFFFFFF;
    int32_t fontSize = 90;  // tenths of a point, "Arial"
    int32_t spokeLabelElevation = 15;
    int32_t usedIcon = 0;  // bitmap number; 0 = a cross
    int32_t inViewIcon = 0;
    // The label colour of each system's satellites (slots with a system), used or not: there the
    // icon alone says whether a satellite is used.
    std::array<ColorRef, kGnssSystemCount> systemColours{};

    // Degrees between rings and between spokes. A step of 0 or less is refused (false), the old
    // value stays: the grid's loops must end.
    bool SetRingStep(int32_t degrees);
    bool SetSpokeStep(int32_t degrees);
    int32_t ringStep() const { return ringStep_; }
    int32_t spokeStep() const { return spokeStep_; }

    // The label format: its "%d" stands for the PRN ("%%" for a percent sign); "PRN:%d" at first.
    // With a system, "%d" stands for the system's letter and the number as sent ("G05", "S133").
    void SetLabelFormat(const QString& format) { labelFormat_ = format; }
    QString Label(int32_t prn, std::optional<GnssSystem> system = std::nullopt) const;

    std::array<SatelliteSlot, kSlots> satelliteSlots{};

    // A marker is drawn when its prn, azimuth and elevation are all non-zero and its elevation is
    // at most 90: a satellite exactly north or on the horizon is not drawn.
    static bool Visible(int32_t prn, int32_t azimuth, int32_t elevation);

    // A whole repaint: the markers of every visible slot, with the colour and icon of its last
    // update. They become the last-drawn records, since the repaint puts exactly them on the
    // screen.
    std::vector<SkyMarker> Repaint();

    // The update after the host has written the slots: for each slot in order, its colour
    // and icon are chosen from its used flag; when it differs from its last-drawn record, the old
    // marker (if visible) is drawn again to remove it and the new one (if visible) is drawn.
    // Returns the markers to draw, in order.
    std::vector<SkyMarker> Update();

    const SkyMarker& lastDrawn(int slot) const { return lastDrawn_[static_cast<size_t>(slot)]; }

    // What the slots show, in words, for a screen reader: "12 satellites, 7 used in the
    // fix: 5 at azimuth 120°, elevation 40°, used; ...". Only satellites on the plot are named
    // and counted. When they carry their systems, the count of each system follows:
    // "21 satellites, 16 used in the fix (GPS 13, 9 used; GLONASS 8, 7 used): G01 at ...".
    QString Summary() const;

  private:
    int32_t ringStep_ = 15;
    int32_t spokeStep_ = 30;
    QString labelFormat_ = QStringLiteral("PRN:%d");
    std::array<SkyMarker, kSlots> lastDrawn_{};
};

}  // namespace horalux
