#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace horalux::test {

// The folder of real receiver captures (../shared/testdata/nmea beside the checkout, or
// $HORALUX_SHARED_DIR/testdata/nmea), or nothing when it is absent.
std::optional<std::filesystem::path> captureDir();

// Every *.log capture in that folder, sorted by name.
std::vector<std::filesystem::path> captureFiles();

// The bytes of a file.
std::string readFile(const std::filesystem::path& path);

// True when tests run in CI (CI=true), where a missing capture folder is a failure.
bool inCi();

}  // namespace horalux::test

// Skips the test with a clear message when the captures are absent; fails instead under CI.
#define HORALUX_REQUIRE_CAPTURES()                                                                \
    do {                                                                                          \
        if (!::horalux::test::captureDir()) {                                                     \
            if (::horalux::test::inCi()) {                                                        \
                FAIL() << "receiver captures not found (../shared/testdata/nmea); CI needs them"; \
            }                                                                                     \
            GTEST_SKIP() << "receiver captures not found (../shared/testdata/nmea); set "         \
                            "HORALUX_SHARED_DIR to run this test";                                \
        }                                                                                         \
    } while (0)
