#include "support/child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace horalux::test {

namespace {

// True when this process could hand CAP_SYS_TIME on to a program it starts: it is root, or the
// capability is in its permitted or ambient set. Anyone else starts our programs without it
// anyway (they carry no file capabilities), and could not run capsh's --drop.
bool mayPassOnTheTimeCapability() {
    if (::geteuid() == 0) {
        return true;
    }
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapPrm:", 0) == 0 || line.rfind("CapAmb:", 0) == 0) {
            const unsigned long long set = std::stoull(line.substr(7), nullptr, 16);
            if ((set >> 25) & 1) {  // CAP_SYS_TIME
                return true;
            }
        }
    }
    return false;
}

std::string capshPath() {
    for (const char* path : {"/usr/sbin/capsh", "/sbin/capsh", "/usr/bin/capsh"}) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return "capsh";
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, int stdoutFd, int stderrFd) {
    std::vector<std::string> args;
    if (mayPassOnTheTimeCapability()) {
        args = {capshPath(), "--drop=cap_sys_time", "--", "-c", "exec \"$@\"", "sh"};
    }
    args.insert(args.end(), argv.begin(), argv.end());
    std::vector<char*> raw;
    for (std::string& a : args) {
        raw.push_back(a.data());
    }
    raw.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    }
    if (stderrFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
    }
    const int rc = posix_spawnp(&pid_, raw[0], &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + args[0]);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) {
        stop(SIGKILL, std::chrono::seconds(5));
    }
}

bool ChildProcess::running() {
    return pid_ > 0 && !wait(std::chrono::milliseconds(0));
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    if (status_ || pid_ <= 0) {
        return status_;
    }
    status_ = waitForExit(pid_, std::chrono::steady_clock::now() + timeout);
    return status_;
}

int ChildProcess::stop(int sig, std::chrono::milliseconds grace) {
    if (pid_ <= 0) {
        return -1;
    }
    if (!status_) {
        status_ = stopProcess(pid_, sig, grace);
    }
    return status_.value_or(-1);
}

std::optional<int> waitForExit(pid_t pid, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            return status;
        }
        if ((r < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::optional<int> stopProcess(pid_t pid, int sig, std::chrono::milliseconds grace) {
    using Clock = std::chrono::steady_clock;
    ::kill(pid, sig);
    if (auto status = waitForExit(pid, Clock::now() + grace)) {
        return status;
    }
    ::kill(pid, SIGKILL);
    return waitForExit(pid, Clock::now() + std::chrono::seconds(5));
}

bool waitForPath(const std::string& path, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::error_code ignored;
    while (!std::filesystem::exists(path, ignored)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace horalux::test
