// The main of every test binary: gives the process a private settings, runtime and state folder
// (removed at exit) and, for widget tests, a QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>

#include "support/test_dirs.h"

#ifdef HORALUX_TEST_WIDGETS
#include <QApplication>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);

    horalux::test::TempDir home;
    const auto config = home.path() / "config";
    const auto runtime = home.path() / "runtime";
    const auto state = home.path() / "state";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(runtime);
    chmod(runtime.c_str(), 0700);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    // Never the real clock: a test that forgets a fake would at worst move a virtual one.
    setenv("HORALUX_CLOCK_FILE", (home.path() / "clock-offset").c_str(), 1);

#ifdef HORALUX_TEST_WIDGETS
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
#else
    return RUN_ALL_TESTS();
#endif
}
