#include "support/chrony_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <glob.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "support/child_process.h"
#include "support/command_runner.h"
#include "support/loopback_servers.h"
#include "support/testdata.h"

extern char** environ;

namespace horalux::test {

namespace {

using Clock = std::chrono::steady_clock;

std::optional<std::string> libFakeTime() {
    glob_t found{};
    std::optional<std::string> path;
    if (::glob("/usr/lib/*/faketime/libfaketime.so.1", 0, nullptr, &found) == 0 &&
        found.gl_pathc > 0) {
        path = found.gl_pathv[0];
    }
    ::globfree(&found);
    return path;
}

// A port that nothing on 127.0.0.1 uses at the moment (UDP).
uint16_t freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

// Whether something accepts TCP connections on 127.0.0.1:port.
bool listens(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

ChronyServer::~ChronyServer() {
    stop();
}

std::string ChronyServer::unavailableReason(bool withFakeTime) {
    if (!findProgram("chronyd")) {
        return "chronyd not found (Debian package chrony)";
    }
    if (!findProgram("capsh")) {
        return "capsh not found (Debian package libcap2-bin)";
    }
    if (!findProgram("openssl")) {
        return "openssl not found (Debian package openssl)";
    }
    if (withFakeTime && !libFakeTime()) {
        return "libfaketime not found (Debian package faketime)";
    }
    return {};
}

bool ChronyServer::start(const Options& options) {
    stop();
    // The port was free a moment ago; another process may take it first, so try a few.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (startOnce(options)) {
            return true;
        }
        stop();
    }
    return false;
}

bool ChronyServer::startOnce(const Options& options) {
    const auto capsh = findProgram("capsh");
    const auto chronyd = findProgram("chronyd");
    if (!capsh || !chronyd) {
        failure_ = unavailableReason(false);
        return false;
    }
    port_ = freeUdpPort();
    dir_.emplace();
    // chronyd drops to its own user after start-up and must still write its log there.
    ::chmod(dir_->path().c_str(), 01777);
    const std::string conf = dir_->file("chrony.conf");
    {
        std::ofstream out(conf);
        if (options.synchronised) {
            out << "local stratum 8\n";
        }
        out << "allow 127.0.0.1\n"
            << "bindaddress 127.0.0.1\n"
            << "port " << port_ << "\n"
            << "cmdport 0\n"
            << "pidfile " << dir_->file("chronyd.pid") << "\n";
        if (options.nts) {
            if (!makeCertificate()) {
                return false;
            }
            ntsPort_ = unusedTcpPort();
            // One process: the key exchange is served by chronyd itself, whose PID we hold.
            out << "ntsserverkey " << dir_->file("key.pem") << "\n"
                << "ntsservercert " << certificate_ << "\n"
                << "ntsport " << ntsPort_ << "\n"
                << "ntsprocesses 0\n"
                << "ntsdumpdir " << dir_->path() << "\n";
            if (!options.ntsNtpServer.empty()) {
                out << "ntsntpserver " << options.ntsNtpServer << "\n";
            }
        }
    }

    // exec keeps one process: the PID we hold is chronyd's own. libfaketime is preloaded
    // directly, because the faketime wrapper forks and would leave chronyd behind on SIGTERM.
    std::string command = "exec ";
    if (!options.fakeTime.empty()) {
        const auto library = libFakeTime();
        if (!library) {
            failure_ = unavailableReason(true);
            return false;
        }
        command += "env LD_PRELOAD=" + shellQuote(*library) +
                   " FAKETIME=" + shellQuote(options.fakeTime) + " ";
    }
    command += shellQuote(*chronyd) + " -n -x -f " + shellQuote(conf) + " -L 0 -l " +
               shellQuote(dir_->file("log"));

    const std::string output = dir_->file("output");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<std::string> argv{*capsh, "--drop=cap_sys_time", "--", "-c", command};
    std::vector<char*> args;
    for (std::string& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&pid_, capsh->c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        failure_ = "cannot start capsh";
        return false;
    }

    // It answers some 30 ms after start; give it up to 5 s on a loaded machine.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (answers() && (!options.nts || listens(ntsPort_))) {
            return true;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "chronyd ended at once: " + readFile(output) + readFile(dir_->file("log"));
            return false;
        }
    }
    failure_ = "chronyd does not answer on port " + std::to_string(port_) + ": " +
               readFile(dir_->file("log"));
    return false;
}

bool ChronyServer::makeCertificate() {
    const std::string key = dir_->file("key.pem");
    certificate_ = dir_->file("cert.pem");
    const CommandResult r = runCommand(
        {"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-days", "3", "-subj", "/CN=localhost", "-addext",
         "subjectAltName=DNS:localhost,IP:127.0.0.1", "-keyout", key, "-out", certificate_},
        std::chrono::seconds(20));
    // chronyd reads them after dropping to its own user.
    if (r.exitCode != 0 || ::chmod(key.c_str(), 0644) != 0 ||
        ::chmod(certificate_.c_str(), 0644) != 0) {
        failure_ = "openssl could not make a certificate: " + r.output;
        return false;
    }
    return true;
}

// One NTP client request; true when any reply comes within 100 ms.
bool ChronyServer::answers() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port_);
    std::array<uint8_t, 48> packet{};
    packet[0] = 0x1B;
    packet[40] = 0x80;  // any non-zero transmit time
    bool answered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, packet.data(), packet.size(), 0) == static_cast<ssize_t>(packet.size())) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) == 1) {
            answered = ::recv(fd, packet.data(), packet.size(), 0) >= 48;
        }
    }
    ::close(fd);
    if (!answered) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return answered;
}

void ChronyServer::stop() {
    if (pid_ > 0) {
        stopProcess(pid_, SIGTERM, std::chrono::seconds(5));
        pid_ = -1;
    }
    dir_.reset();
}

std::string chronyQueryCommand(uint16_t port) {
    return "exec chronyd -Q -t 5 'server 127.0.0.1 port " + std::to_string(port) +
           " iburst maxsamples 1'";
}

std::optional<double> chronyMeasuredOffset(uint16_t port, std::string* failure) {
    const auto capsh = findProgram("capsh");
    if (!capsh) {
        return std::nullopt;
    }
    const CommandResult r =
        runCommand({*capsh, "--drop=cap_sys_time", "--", "-c", chronyQueryCommand(port)},
                   std::chrono::seconds(15));
    static const std::regex kWrongBy(R"(System clock wrong by (-?[0-9.]+) seconds)");
    std::smatch match;
    if (r.exitCode == 0 && std::regex_search(r.output, match, kWrongBy)) {
        return std::stod(match[1].str());
    }
    if (failure) {
        *failure = r.output;
    }
    return std::nullopt;
}

}  // namespace horalux::test
