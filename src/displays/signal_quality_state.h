#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "gps/gnss_system.h"

namespace horalux {

// One satellite of the signal-quality graph.
struct SignalBar {
    int32_t prn = 0;   // written under the bar
    int32_t snr = 0;   // 0 to 99 as received; 0 = no signal
    int32_t used = 0;  // 1 = used in the solution
    // The satellite's system when the host knows it: the bar is then labelled with its letter
    // and number ("G05", "R65", "S133"), else with the number alone.
    std::optional<GnssSystem> system = std::nullopt;
};

// The signal-quality graph's decisions: the bars its host feeds, how many are drawn, and the
// lowest and highest non-zero SNR seen since the last reset, which scale the bars. Each paint
// lays the bars out from left to right and folds each bar's SNR into the extremes after drawing
// it, so a bar is scaled with the extremes of all earlier paints and the bars to its left.
class SignalQualityState {
  public:
    static constexpr int kMaxBars = 32;
    static constexpr int32_t kNoMax = -999;
    static constexpr int32_t kNoMin = 999;

    std::array<SignalBar, kMaxBars> bars{};
    int32_t barCount = 12;
    int32_t scaleMax = kNoMax;  // SNR drawn as a full bar
    int32_t scaleMin = kNoMin;  // SNR drawn as an empty bar
    int32_t seenMax = kNoMax;
    int32_t seenMin = kNoMin;

    // A new count from the host, bounded to the table (32). A count of 0 or less changes
    // nothing. Returns whether the count changed (the graph is then erased before its repaint).
    bool SetBarCount(int32_t count);

    // "Reset Signal Quality": forget the extremes (the scale follows at the next paint).
    void ResetExtremes();

    // One bar of a paint, in client pixels; each rectangle includes its edges, and one that is
    // not valid (empty) is not painted.
    struct Rows {
        QRect frame;   // the sunken frame: shadow on top and left, highlight on bottom and right
        QRect upper;   // the unfilled part of the bar, in the button face colour
        QRect filled;  // the filled part: highlight when used, grey text colour otherwise
        bool used = false;
        int filledHeight = 0;  // h, 0 to H
        QString value;         // "  45  ", centred in valueBox with its top at valueBox.top()
        QRect valueBox;        // also the value's clip: a short bar shows part of it or none
        QRect prnBox;          // filled with the button face; the PRN centred at its top
        QString prn;
    };
    // Lays out the bars for a client area of width x height and a font whose character height
    // is textHeight, and folds their SNRs into the extremes. No bars when barCount is 0 or less.
    //
    // widestLabel is the width of the widest label of a bar with a system (0 when none has
    // one). While it fits its bar with a pixel to spare on each side the labels go in one row
    // under the bars; else in two, every other label one line lower and free to take twice the
    // pitch, and the bars give up that line.
    std::vector<Rows> Paint(int width, int height, int textHeight, int widestLabel = 0);
    // The rows of labels (1 or 2) for bars of this pitch, as above.
    static int LabelRows(int pitch, int widestLabel);
    // The pitch of the bars drawn in a client area this wide (0 when none are drawn).
    int Pitch(int width) const;

    // The bar's label: "G05" with a system, else its number ("5").
    static QString Label(const SignalBar& bar);

    // The size of the font for the SNRs inside the bars of a graph with systems: `pixelSize`
    // while "00" at that size (widthAt) fits a bar's inside of pitch - 4, else the largest
    // smaller size that does, down to kSmallestValuePixels.
    static constexpr int kSmallestValuePixels = 7;
    static int ValuePixelSize(int pitch, int pixelSize, const std::function<int(int)>& widthAt);

    // The filled height of a bar of full height H: its SNR limited to the scale, then
    // H / (scaleMax - scaleMin) x (snr - scaleMin), truncated. When the scale is a single value
    // the bar is full at or above it and empty below; the result is always within 0 to H.
    static int FilledHeight(int fullHeight, int32_t scaleMax, int32_t scaleMin, int32_t snr);

    // The bars in words, for a screen reader: "12 bars: 5 45 dB used; 7 38 dB; 0 no signal ...".
    // When they carry their systems, the count of each system follows: "21 bars (GPS 13,
    // 9 used; GLONASS 8, 7 used): G19 38 dB used; ...".
    QString Summary() const;
};

}  // namespace horalux
