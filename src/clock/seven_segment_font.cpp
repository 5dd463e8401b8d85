#include "clock/seven_segment_font.h"

#include <algorithm>
#include <cstdio>

namespace horalux {

namespace {

constexpr std::array<uint8_t, 10> kDigitMasks{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                              0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// The first `count` characters of a number printed with `format`.
void appendDigits(std::string& text, const char* format, int value, size_t count) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    text.append(buffer, std::min(count, std::char_traits<char>::length(buffer)));
}

}  // namespace

uint8_t DigitSegmentMask(int digit) {
    return digit >= 0 && digit <= 9 ? kDigitMasks[static_cast<size_t>(digit)] : 0;
}

bool IsClockLeapYear(int year) {
    return year % 4 == 0;
}

int DayOfYear(const SystemTime& time) {
    const int month = std::clamp(static_cast<int>(time.month), 1, 12);
    const int row = IsClockLeapYear(time.year) ? 1 : 0;
    return DaysBeforeMonth[row][month - 1] + time.day;
}

std::string DisplayText(const SystemTime& time, int32_t twentyFourHourFlag, int32_t dayOfYearFlag) {
    std::string text;
    if (dayOfYearFlag == 1) {
        appendDigits(text, "%03d", DayOfYear(time), 3);
        text += ':';
    }
    int hour = time.hour;
    if (twentyFourHourFlag == 0 && hour > 12) {
        hour -= 12;
    }
    appendDigits(text, "%02d", hour, 2);
    text += ':';
    appendDigits(text, "%02d", time.minute, 2);
    text += ':';
    appendDigits(text, "%02d", time.second, 2);
    return text;
}

TimeLayout LayoutTime(const PixelRect& content, int thickness, const SystemTime& time,
                      int32_t twentyFourHourFlag, int32_t dayOfYearFlag) {
    const int t = thickness;
    const int w = content.width();
    const bool withDay = dayOfYearFlag == 1;
    TimeLayout layout;
    // Computed in floating point and truncated toward zero; the remainder stays blank at the
    // right.
    layout.digitWidth = withDay ? static_cast<int>(static_cast<double>(w - 26 * t) / 9.0)
                                : static_cast<int>(static_cast<double>(w - 17 * t) / 6.0);
    const int cw = layout.digitWidth;

    const std::string text = DisplayText(time, twentyFourHourFlag, dayOfYearFlag);
    int x = 0;          // left edge of the next digit, relative to the content
    int lastDigit = 0;  // left edge of the last digit placed
    bool groupStart = true;
    for (char c : text) {
        SegmentCell& cell = layout.cells[static_cast<size_t>(layout.count++)];
        if (c == ':') {
            const int left = lastDigit + cw + 2 * t;
            cell.separator = true;
            cell.rect = {content.left + left, content.top, content.left + left + 5 * t,
                         content.bottom};
            x = left + 5 * t;
            groupStart = true;
            continue;
        }
        if (!groupStart) {
            x = lastDigit + cw + t;
        }
        groupStart = false;
        lastDigit = x;
        cell.character = c;
        cell.rect = {content.left + x, content.top, content.left + x + cw, content.bottom};
    }
    return layout;
}

void SevenSegmentFont::DrawTime(SegmentSurface& surface, const PixelRect& content,
                                const SegmentStyle& style, const SystemTime& time,
                                int32_t twentyFourHourFlag, int32_t dayOfYearFlag) {
    style_ = style;
    const TimeLayout layout =
        LayoutTime(content, style.thickness, time, twentyFourHourFlag, dayOfYearFlag);
    for (int i = 0; i < layout.count; ++i) {
        const SegmentCell& cell = layout.cells[static_cast<size_t>(i)];
        if (cell.separator) {
            DrawColon(surface, cell.rect);
        } else {
            DrawDigit(surface, cell.rect, cell.character);
        }
    }
}

void SevenSegmentFont::DrawDigit(SegmentSurface& surface, const PixelRect& cell,
                                 char character) const {
    const int t = style_.thickness;
    const std::unique_ptr<SegmentPen> litPen = surface.makePen(t, style_.lit);
    const std::unique_ptr<SegmentPen> unlitPen = surface.makePen(t, style_.unlit);
    const int mask = DigitSegmentMask(character - '0');

    const int L = cell.left;
    const int T = cell.top;
    const int R = cell.right;
    const int h = (cell.bottom - cell.top) / 2 - 3 * t;  // one vertical bar
    const int e = t <= 1 ? 1 : 0;  // a one-pixel stroke stops short of its end point
    struct Stroke {
        int x0, y0, x1, y1;
    };
    const std::array<Stroke, 7> segments{{
        {L + 2 * t, T + t, R - 2 * t + e, T + t},                          // a: top
        {R - t, T + 2 * t, R - t, T + 2 * t + h + e},                      // b: upper right
        {R - t, T + 4 * t + h, R - t, T + 4 * t + 2 * h + e},              // c: lower right
        {L + 2 * t, T + 5 * t + 2 * h, R - 2 * t + e, T + 5 * t + 2 * h},  // d: bottom
        {L + t, T + 4 * t + h, L + t, T + 4 * t + 2 * h + e},              // e: lower left
        {L + t, T + 2 * t, L + t, T + 2 * t + h + e},                      // f: upper left
        {L + 2 * t, T + 3 * t + h, R - 2 * t + e, T + 3 * t + h},          // g: middle
    }};

    SegmentPen* const previous = surface.selectPen(litPen.get());
    for (size_t bit = 0; bit < segments.size(); ++bit) {
        const bool lit = (mask >> bit) & 1;
        surface.selectPen(lit ? litPen.get() : unlitPen.get());
        const Stroke& s = segments[bit];
        surface.moveTo(s.x0, s.y0);
        surface.lineTo(s.x1, s.y1);
    }
    surface.selectPen(previous);
}

void SevenSegmentFont::DrawColon(SegmentSurface& surface, const PixelRect& cell) const {
    const int t = style_.thickness;
    const std::unique_ptr<SegmentPen> pen = surface.makePen(2 * t, style_.lit);
    const int x = cell.left + 2 * t - t / 2;
    const int quarter = (cell.bottom - cell.top) / 4;

    SegmentPen* const previous = surface.selectPen(pen.get());
    surface.moveTo(x, cell.top + quarter);
    surface.lineTo(x, cell.top + quarter);
    surface.moveTo(x, cell.bottom - quarter);
    surface.lineTo(x, cell.bottom - quarter);
    surface.selectPen(previous);
}

}  // namespace horalux
