#pragma once

#include <cstdint>
#include <string>

#include "platform/system_time.h"

namespace horalux {

// What a screen reader says for a seven-segment time display: the time as its digits show it,
// "HH:MM:SS" (in the 12-hour form too, as drawn, without AM or PM), then " UTC" when the time
// is UTC, then " day N" when the day of the year is shown (N as a number, without the display's
// leading zeros): "14:02:11", "14:02:11 UTC", "14:02:11 UTC day 342".
std::string AccessibleTimeText(const SystemTime& time, bool utc, int32_t twentyFourHourFlag,
                               int32_t dayOfYearFlag);

}  // namespace horalux
