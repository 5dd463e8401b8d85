#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/test_dirs.h"
#include "support/testdata.h"

namespace horalux::test {

// A real NTP server for tests: chronyd on 127.0.0.1 and a free unprivileged port, started
// without the power to set the clock (capsh --drop=cap_sys_time) and with -x, so it never
// touches it. It serves the system time, or the system time moved by libfaketime.
class ChronyServer {
  public:
    struct Options {
        bool synchronised = true;  // false: no local reference, it answers as unsynchronised
        std::string fakeTime;      // a libfaketime FAKETIME value such as "+37.5"; empty for none
        // Also an NTS key-exchange server, with a certificate for localhost and 127.0.0.1 made
        // in its folder (by openssl) and trusted by nobody until a test names it.
        bool nts = false;
        std::string ntsNtpServer{};  // the NTP server its key exchange names; empty: itself
    };

    ChronyServer() = default;
    ~ChronyServer();
    ChronyServer(const ChronyServer&) = delete;
    ChronyServer& operator=(const ChronyServer&) = delete;

    // Why servers cannot run here (a program missing), or empty when they can.
    static std::string unavailableReason(bool withFakeTime);

    // Starts the server and waits (bounded) until it answers a query. False, with the reason in
    // failure(), when it does not.
    bool start(const Options& options);
    // SIGTERM by PID, a bounded wait, SIGKILL when it does not end.
    void stop();

    uint16_t port() const { return port_; }
    uint16_t ntsPort() const { return ntsPort_; }                    // the key exchange's (TCP)
    const std::string& certificate() const { return certificate_; }  // PEM, with nts
    pid_t pid() const { return pid_; }
    const std::string& failure() const { return failure_; }

  private:
    bool startOnce(const Options& options);
    bool answers();
    bool makeCertificate();

    std::optional<TempDir> dir_;
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    uint16_t ntsPort_ = 0;
    std::string certificate_;
    std::string failure_;
};

// The offset of the system clock from a server ("System clock wrong by X seconds"), measured by
// chronyd's own client (-Q: it only prints, never sets), or nothing with the output in failure.
std::optional<double> chronyMeasuredOffset(uint16_t port, std::string* failure = nullptr);

// The command that measures it, for checks that it stays a query.
std::string chronyQueryCommand(uint16_t port);

}  // namespace horalux::test

// Skips the test with a clear message when chronyd, capsh (or faketime) are missing; fails
// instead under CI.
#define HORALUX_REQUIRE_CHRONY(withFakeTime)                                                       \
    do {                                                                                           \
        const std::string reason = ::horalux::test::ChronyServer::unavailableReason(withFakeTime); \
        if (!reason.empty()) {                                                                     \
            if (::horalux::test::inCi()) {                                                         \
                FAIL() << reason << "; CI needs it";                                               \
            }                                                                                      \
            GTEST_SKIP() << reason;                                                                \
        }                                                                                          \
    } while (0)
