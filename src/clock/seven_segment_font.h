#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "clock/color_ref.h"
#include "clock/pixel_geometry.h"
#include "clock/segment_surface.h"
#include "platform/system_time.h"

namespace horalux {

// Thickness and colours of one drawing. Every distance of the layout is a multiple of the
// thickness.
struct SegmentStyle {
    int thickness = 8;
    ColorRef lit = 0xFF0000;
    ColorRef unlit = 0x400000;
};

// Days in the year before the first of each month: row 0 a common year, row 1 a leap year.
inline constexpr uint16_t DaysBeforeMonth[2][12] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

// The lit segments of a digit: bit 0 top (a), 1 upper right (b), 2 lower right (c), 3 bottom
// (d), 4 lower left (e), 5 upper left (f), 6 middle (g). Anything but 0 to 9 lights nothing.
uint8_t DigitSegmentMask(int digit);

// The clock's leap rule: every year divisible by 4, centuries included (so 2100 is one).
bool IsClockLeapYear(int year);
// Day of the year, 1 January = 1, by the rule above. A month outside 1 to 12 counts as the
// nearest valid one.
int DayOfYear(const SystemTime& time);

// The characters shown: "HH:MM:SS", or "DDD:HH:MM:SS" when dayOfYearFlag is 1. When
// twentyFourHourFlag is 0, hours 13 to 23 lose 12; 0 and 12 stay.
std::string DisplayText(const SystemTime& time, int32_t twentyFourHourFlag, int32_t dayOfYearFlag);

// One cell of the layout: a digit or a separator, with its rectangle.
struct SegmentCell {
    bool separator = false;
    char character = 0;  // the digit shown; 0 for a separator
    PixelRect rect;
};

// Where DrawTime puts each character: cells left to right over the full content height.
struct TimeLayout {
    int digitWidth = 0;
    int count = 0;
    std::array<SegmentCell, 12> cells{};
};

TimeLayout LayoutTime(const PixelRect& content, int thickness, const SystemTime& time,
                      int32_t twentyFourHourFlag, int32_t dayOfYearFlag);

// Draws times as lit and unlit seven-segment digits with two-dot separators, every segment in
// one of the two colours, so a new frame covers the last one at the same layout. Each call
// makes its own pens, puts the surface's previous pen back and destroys its pens.
class SevenSegmentFont {
  public:
    // The whole display into the content rectangle with the given style, which becomes the
    // current style.
    void DrawTime(SegmentSurface& surface, const PixelRect& content, const SegmentStyle& style,
                  const SystemTime& time, int32_t twentyFourHourFlag, int32_t dayOfYearFlag);
    // One digit ('0' to '9') into its cell with the current style.
    void DrawDigit(SegmentSurface& surface, const PixelRect& cell, char character) const;
    // The two dots of a separator; only the cell's left, top and bottom count.
    void DrawColon(SegmentSurface& surface, const PixelRect& cell) const;

    const SegmentStyle& style() const { return style_; }
    void setStyle(const SegmentStyle& style) { style_ = style; }

  private:
    SegmentStyle style_;
};

}  // namespace horalux
