#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace horalux::test {

// A program run by a test, without the power to set the clock: started under
// `capsh --drop=cap_sys_time` (which execs it, so pid() is the program's own) whenever this
// process could pass that capability on, with the test's environment (HORALUX_CLOCK_FILE
// included). Stopped by its PID when the object goes.
class ChildProcess {
  public:
    // argv[0] is the program's path. Standard output goes to stdoutFd when given (the child
    // gets a copy; the caller keeps its own), else it is inherited.
    explicit ChildProcess(const std::vector<std::string>& argv, int stdoutFd = -1,
                          int stderrFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Waits up to timeout for the program to end; its wait status, or nothing if it still runs.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // Sends sig (SIGTERM by default) and waits up to grace; then SIGKILL. The wait status.
    int stop(int sig = 15, std::chrono::milliseconds grace = std::chrono::seconds(5));

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Waits until deadline for pid (a child of this process) to end: its wait status, or nothing
// when it still runs or cannot be waited for.
std::optional<int> waitForExit(pid_t pid, std::chrono::steady_clock::time_point deadline);

// Sends sig to pid and waits up to grace for it to end; then SIGKILL and up to 5 s more. The wait
// status, or nothing when it could not be reaped.
std::optional<int> stopProcess(pid_t pid, int sig, std::chrono::milliseconds grace);

// Waits up to timeout for a path to exist (a link or device a helper creates).
bool waitForPath(const std::string& path, std::chrono::milliseconds timeout);

}  // namespace horalux::test
