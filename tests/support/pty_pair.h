#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace horalux::test {

// A pseudo-terminal pair standing in for a serial line: the program under test opens the slave
// by its path (as it would /dev/ttyUSB0), the test plays the receiver on the master. Both ends
// start in raw mode. Only the master stays open here, so the slave is the program's alone.
class PtyPair {
  public:
    PtyPair();  // throws std::runtime_error when no pseudo-terminal can be had
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Writes all bytes to the master (what the receiver sends); false on failure.
    bool write(std::string_view bytes);
    // Reads from the master what the slave's user wrote, until `until` bytes have arrived or
    // the time is up.
    std::string read(std::chrono::milliseconds timeout, size_t until = static_cast<size_t>(-1));
    // Closes the master: to the slave's user it is a receiver that has been unplugged.
    void closeMaster();

  private:
    int master_ = -1;
    std::string slavePath_;
};

// Points the link at a device in one step, as udev does for a receiver plugged in again.
void pointLink(const std::string& link, const std::string& target);

}  // namespace horalux::test
