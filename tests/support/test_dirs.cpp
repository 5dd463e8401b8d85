#include "support/test_dirs.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace horalux::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "horalux-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path buildDir() {
    return HORALUX_BUILD_DIR;
}

std::string binary(const std::string& name) {
    return (buildDir() / "bin" / name).string();
}

}  // namespace horalux::test
