#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace horalux {

// One satellite of the signal-quality graph.
struct SignalBar {
    int32_t prn = 0;   // written under the bar
    int32_t snr = 0;   // 0 to 99 as received; 0 = no signal
    int32_t used = 0;  // 1 = used in the solution
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
    std::vector<Rows> Paint(int width, int height, int textHeight);

    // The filled height of a bar of full height H: its SNR limited to the scale, then
    // H / (scaleMax - scaleMin) x (snr - scaleMin), truncated. When the scale is a single value
    // the bar is full at or above it and empty below; the result is always within 0 to H.
    static int FilledHeight(int fullHeight, int32_t scaleMax, int32_t scaleMin, int32_t snr);

    // The bars in words, for a screen reader: "12 bars: 5 45 dB used; 7 38 dB; 0 no signal ...".
    QString Summary() const;
};

}  // namespace horalux
