#include "clock/date_tip_text.h"

#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>

namespace horalux {

namespace {

std::string formatTime(const SystemTime& time, const char* format) {
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_wday = time.dayOfWeek;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&tm, format);
    return out.str();
}

}  // namespace

std::string FormatDateTip(const SystemTime& time, bool localTime, bool twentyFourHour) {
    if (localTime) {
        return formatTime(time, twentyFourHour ? "%A, %B %d, %Y (%H:%M:%S Local Time)"
                                               : "%A, %B %d, %Y (%I:%M:%S %p Local Time)");
    }
    return formatTime(
        time, twentyFourHour ? "%A, %B %d, %Y (%H:%M:%S UTC)" : "%A, %B %d, %Y (%I:%M:%S %p UTC)");
}

std::string DateTipText(const SystemClock& clock, int32_t localTimeFlag,
                        int32_t twentyFourHourFlag) {
    const bool local = localTimeFlag == 1;
    return FormatDateTip(local ? clock.localNow() : clock.utcNow(), local, twentyFourHourFlag != 0);
}

std::string InitialDateTipText(const SystemClock& clock) {
    return formatTime(clock.utcNow(), "%A, %B %d, %Y");
}

}  // namespace horalux
