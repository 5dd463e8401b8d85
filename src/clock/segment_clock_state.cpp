#include "clock/segment_clock_state.h"

#include "clock/seven_segment_font.h"

namespace horalux {

bool SegmentClockState::Tick(const SystemClock& clock) {
    time = localTime == 1 ? clock.localNow() : clock.utcNow();
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

}  // namespace horalux
