#include "platform/system_time.h"

#include <chrono>
#include <ctime>

namespace horalux {

namespace {

SystemTime fromTm(const std::tm& tm, int milliseconds) {
    SystemTime t;
    t.year = static_cast<uint16_t>(tm.tm_year + 1900);
    t.month = static_cast<uint16_t>(tm.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    t.day = static_cast<uint16_t>(tm.tm_mday);
    t.hour = static_cast<uint16_t>(tm.tm_hour);
    t.minute = static_cast<uint16_t>(tm.tm_min);
    t.second = static_cast<uint16_t>(tm.tm_sec);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

// Splits milliseconds since 1970 into whole seconds and a non-negative remainder.
void split(int64_t millis, std::time_t& seconds, int& rest) {
    int64_t s = millis / 1000;
    int64_t r = millis % 1000;
    if (r < 0) {
        r += 1000;
        --s;
    }
    seconds = static_cast<std::time_t>(s);
    rest = static_cast<int>(r);
}

}  // namespace

bool isValidSystemTime(const SystemTime& t) {
    using namespace std::chrono;
    if (t.year < 1601 || t.year > 30827 || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.milliseconds > 999) {
        return false;
    }
    const year_month_day ymd{year{t.year}, month{t.month}, day{t.day}};
    return ymd.ok();
}

int64_t toUnixMillis(const SystemTime& utc) {
    using namespace std::chrono;
    const sys_days days{year{utc.year} / month{utc.month} / day{utc.day}};
    const int64_t seconds = static_cast<int64_t>(days.time_since_epoch().count()) * 86400 +
                            utc.hour * 3600 + utc.minute * 60 + utc.second;
    return seconds * 1000 + utc.milliseconds;
}

SystemTime utcFromUnixMillis(int64_t millis) {
    std::time_t seconds;
    int rest;
    split(millis, seconds, rest);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    return fromTm(tm, rest);
}

SystemTime localFromUnixMillis(int64_t millis) {
    std::time_t seconds;
    int rest;
    split(millis, seconds, rest);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return fromTm(tm, rest);
}

}  // namespace horalux
