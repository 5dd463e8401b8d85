#pragma once

#include <cstdint>
#include <string>

#include "platform/system_clock.h"
#include "platform/system_time.h"

namespace horalux {

// The text of the tooltip over the desktop clock, with English day and month names whatever
// the user's locale:
//   "%A, %B %d, %Y (%H:%M:%S Local Time)"     local time, 24-hour
//   "%A, %B %d, %Y (%I:%M:%S %p Local Time)"  local time, 12-hour
//   "%A, %B %d, %Y (%H:%M:%S UTC)"            UTC, 24-hour
//   "%A, %B %d, %Y (%I:%M:%S %p UTC)"         UTC, 12-hour
// `time` is the moment in the time the text names.
std::string FormatDateTip(const SystemTime& time, bool localTime, bool twentyFourHour);

// The text for now by the clock's display flags, as the display reads them: local time when
// localTimeFlag is 1 (and the local time then), 12-hour only when twentyFourHourFlag is 0.
std::string DateTipText(const SystemClock& clock, int32_t localTimeFlag,
                        int32_t twentyFourHourFlag);

// The text the tip starts with: today's UTC date, "%A, %B %d, %Y".
std::string InitialDateTipText(const SystemClock& clock);

}  // namespace horalux
