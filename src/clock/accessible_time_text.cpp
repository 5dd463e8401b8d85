#include "clock/accessible_time_text.h"

#include "clock/seven_segment_font.h"

namespace horalux {

std::string AccessibleTimeText(const SystemTime& time, bool utc, int32_t twentyFourHourFlag,
                               int32_t dayOfYearFlag) {
    std::string text = DisplayText(time, twentyFourHourFlag, 0);
    if (utc) {
        text += " UTC";
    }
    if (dayOfYearFlag == 1) {
        text += " day " + std::to_string(DayOfYear(time));
    }
    return text;
}

}  // namespace horalux
