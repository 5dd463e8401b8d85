#include "platform/system_clock.h"

#include <chrono>

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace horalux {

int64_t systemUnixMillis() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t steadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t systemUnixNanos() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

SystemTime RealSystemClock::utcNow() const {
    return utcFromUnixMillis(systemUnixMillis());
}

SystemTime RealSystemClock::localNow() const {
    return localFromUnixMillis(systemUnixMillis());
}

bool RealSystemClock::setUtc(const SystemTime& utc) {
    if (!isValidSystemTime(utc)) {
        return false;
    }
    const int64_t millis = toUnixMillis(utc);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(millis / 1000);
    ts.tv_nsec = static_cast<long>(millis % 1000) * 1000000L;
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

VirtualSystemClock::VirtualSystemClock(std::string offsetFile, std::chrono::milliseconds recheck)
    : offsetFile_(std::move(offsetFile)), recheck_(recheck) {}

int64_t VirtualSystemClock::offsetMillis() const {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(cacheMutex_);
    if (cached_ && now < nextCheck_) {
        return offset_;
    }
    nextCheck_ = now + recheck_;
    const FileStamp stamp = FileStamp::Of(offsetFile_);
    if (cached_ && stamp == stamp_) {
        return offset_;
    }
    long long offset = 0;
    if (stamp.exists) {
        std::ifstream in(offsetFile_);
        if (!(in >> offset)) {
            offset = 0;
        }
    }
    cached_ = true;
    stamp_ = stamp;
    offset_ = offset;
    return offset_;
}

SystemTime VirtualSystemClock::utcNow() const {
    return utcFromUnixMillis(systemUnixMillis() + offsetMillis());
}

SystemTime VirtualSystemClock::localNow() const {
    return localFromUnixMillis(systemUnixMillis() + offsetMillis());
}

bool VirtualSystemClock::setUtc(const SystemTime& utc) {
    if (!isValidSystemTime(utc)) {
        return false;
    }
    return writeOffset(toUnixMillis(utc) - systemUnixMillis());
}

bool VirtualSystemClock::stepBy(int64_t millis) {
    {
        std::lock_guard lock(cacheMutex_);
        cached_ = false;  // another process may have set it a moment ago
    }
    return writeOffset(offsetMillis() + millis);
}

bool VirtualSystemClock::writeOffset(int64_t offset) {
    // Write beside the target and rename, so a reader never sees half a number.
    const std::string temp = offsetFile_ + ".tmp." + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        out << offset << '\n';
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), offsetFile_.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    std::lock_guard lock(cacheMutex_);
    cached_ = false;
    return true;
}

std::unique_ptr<SystemClock> makeSystemClock() {
    const char* file = std::getenv("HORALUX_CLOCK_FILE");
    if (file != nullptr && *file != '\0') {
        return std::make_unique<VirtualSystemClock>(file);
    }
    return std::make_unique<RealSystemClock>();
}

}  // namespace horalux
