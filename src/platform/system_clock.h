#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "platform/file_stamp.h"
#include "platform/system_time.h"

namespace horalux {

// The PC's clock: read in UTC and in local time, set in UTC. Every part of the program reads
// the time through this interface, so a virtual clock replaces the real one everywhere.
class SystemClock {
  public:
    virtual ~SystemClock() = default;

    virtual SystemTime utcNow() const = 0;    // the system time in UTC
    virtual SystemTime localNow() const = 0;  // the same moment in the local time zone
    // Sets the clock; false when the record is out of range or the system refuses.
    virtual bool setUtc(const SystemTime& utc) = 0;
};

// The real system clock (CLOCK_REALTIME); setting it needs CAP_SYS_TIME.
class RealSystemClock final : public SystemClock {
  public:
    SystemTime utcNow() const override;
    SystemTime localNow() const override;
    bool setUtc(const SystemTime& utc) override;
};

// A clock that runs at the system clock's rate with an offset kept in a file: reads return the
// system time plus the offset in milliseconds stored there (a missing or unreadable file means
// 0); setting writes the new offset atomically (one integer and a newline). It never touches the
// system clock and needs no privilege.
class VirtualSystemClock final : public SystemClock {
  public:
    // How long a read trusts the offset it last read from the file before it looks again.
    static constexpr std::chrono::milliseconds kRecheck{100};

    explicit VirtualSystemClock(std::string offsetFile,
                                std::chrono::milliseconds recheck = kRecheck);

    SystemTime utcNow() const override;
    SystemTime localNow() const override;
    bool setUtc(const SystemTime& utc) override;
    // Moves the clock by `millis` from the offset the file holds now.
    bool stepBy(int64_t millis);

    // The offset in the file. Its own setting is seen at once; another writer's change, within
    // `recheck`: the file is looked at (one stat) at most once in that time, and read again only
    // when it has changed (another inode, size or modification time). The program reads the
    // clock a hundred times a second, and a stat for each would be most of what it does.
    int64_t offsetMillis() const;
    const std::string& offsetFile() const { return offsetFile_; }

  private:
    bool writeOffset(int64_t offset);

    std::string offsetFile_;
    std::chrono::milliseconds recheck_;
    mutable std::mutex cacheMutex_;  // the clock is read from the worker thread too
    mutable bool cached_ = false;
    mutable std::chrono::steady_clock::time_point nextCheck_;
    mutable FileStamp stamp_;
    mutable int64_t offset_ = 0;
};

// Milliseconds since 1970 by the real system clock.
int64_t systemUnixMillis();
// Nanoseconds since 1970 by the real system clock, whatever clock the program keeps.
int64_t systemUnixNanos();
// Nanoseconds on the steady clock (time since boot), for telling how long ago something was.
int64_t steadyNanos();

// The clock the program uses: the virtual clock when HORALUX_CLOCK_FILE is set, else the real one.
std::unique_ptr<SystemClock> makeSystemClock();

}  // namespace horalux
