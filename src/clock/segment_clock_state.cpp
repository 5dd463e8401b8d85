#include "clock/segment_clock_state.h"

#include "clock/accessible_time_text.h"
#include "clock/seven_segment_font.h"

namespace horalux {

bool SegmentClockState::Tick(const SystemClock& clock) {
    timeIsUtc = localTime != 1;
    time = timeIsUtc ? clock.utcNow() : clock.localNow();
    if (time.second == lastSecond) {
        return false;
    }
    lastSecond = time.second;
    return true;
}

PixelRect SegmentClockState::ContentRect(int clientWidth, int clientHeight) const {
    return PixelRect{0, 0, clientWidth, clientHeight}.shrunk(margin);
}

void SegmentClockState::Draw(SegmentSurface& surface, int clientWidth, int clientHeight) const {
    SevenSegmentFont font;
    font.DrawTime(surface, ContentRect(clientWidth, clientHeight), {thickness, lit, unlit}, time,
                  twentyFourHour, dayOfYear);
}

std::string SegmentClockState::SpokenText() const {
    return AccessibleTimeText(time, timeIsUtc, twentyFourHour, dayOfYear);
}

}  // namespace horalux
