#pragma once

#include <array>
#include <vector>

#include "displays/signal_quality_state.h"
#include "displays/sky_plot_state.h"
#include "gps/gps_state.h"
#include "gps/sky_view.h"

namespace horalux {

// What the status displays are fed with: the record's 32-entry tables, as they always were, or
// the sky view of every constellation once the receiver reports more than GPS.
//
// A receiver that sends only GP groups keeps the displays of the record exactly (numbers
// without a letter, the used and in-view colours, the twelve bars the record gives the graph);
// one that also sends GLONASS, Galileo, BeiDou, QZSS or NavIC groups gets every satellite of the
// view, each labelled with its system's letter and the number as sent.

// Whether the displays show the view: one is given, and it has had other than GP groups since it
// was last cleared.
bool ShowsSkyView(const SkyView* view);

using SkyPlotSlots = std::array<SatelliteSlot, SkyPlotState::kSlots>;

// The Position page's copy of the record: entry i of its satellites into slot i for i below the
// satellites-in-view count (bounded by the record's table and the slots; a negative count copies
// nothing), every further slot emptied (its SNR left as it was). No slot carries a system.
void FillSlotsFromRecord(const GpsState& gps, SkyPlotSlots& slots);

// The satellites chosen for the plot (SelectForPlot; at most the slots are taken), each with its
// system. A satellite already on the plot keeps its slot, so that a second's update redraws only
// the satellites that moved, changed state, came or went; newcomers take the free slots in order
// and the slots of those that went are emptied.
void FillSlotsFromView(const std::vector<SkySatellite>& shown, SkyPlotSlots& slots);

// The status page's copy of the record: signals 0 to 11 into bars 0 to 11, the other bars zero
// (as they always are while the record feeds them). Returns the satellites-in-view count, which
// sets the bar count when it is positive.
int FillBarsFromRecord(const GpsState& gps, SignalQualityState& graph);

// The satellites in the graph's order (OrderForGraph; at most 32 are taken), each with its
// system, the other bars zero. Returns how many there are.
int FillBarsFromView(const std::vector<SkySatellite>& ordered, SignalQualityState& graph);

}  // namespace horalux
