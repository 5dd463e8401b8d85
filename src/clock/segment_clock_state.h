#pragma once

#include <cstdint>
#include <string>

#include "clock/color_ref.h"
#include "clock/pixel_geometry.h"
#include "clock/segment_surface.h"
#include "platform/system_clock.h"
#include "platform/system_time.h"

namespace horalux {

// What a seven-segment time display shows and how: the fields its host sets, the time record
// its timer refreshes, and the decisions of its tick and paint. SegmentClockDisplay is the
// widget around it.
struct SegmentClockState {
    ColorRef background = 0x000000;
    ColorRef lit = 0xFF0000;    // lit segments and separator dots
    ColorRef unlit = 0x400000;  // unlit segments
    int32_t thickness = 8;
    SystemTime time{};       // the time shown, read at each tick
    bool timeIsUtc = false;  // whether `time` was read as UTC
    // The second that last made the display repaint. It starts out of range, so the first
    // tick always repaints and the display never keeps showing the empty record.
    int32_t lastSecond = -1;
    int32_t margin = 5;          // between the client edge and the digits, every side
    int32_t localTime = 1;       // 1 = local time; anything else = UTC
    int32_t twentyFourHour = 1;  // 0 = hours 13 to 23 shown less 12
    int32_t dayOfYear = 0;       // 1 = the day of the year precedes the time

    // Reads the current time (local when localTime is 1, else UTC) into the record. True when
    // its second differs from the last one shown: the display must repaint.
    bool Tick(const SystemClock& clock);

    // The client rectangle shrunk by the margin.
    PixelRect ContentRect(int clientWidth, int clientHeight) const;

    // Draws the time record into a client area of the given size.
    void Draw(SegmentSurface& surface, int clientWidth, int clientHeight) const;

    // The time record as a screen reader says it (AccessibleTimeText).
    std::string SpokenText() const;
};

}  // namespace horalux
