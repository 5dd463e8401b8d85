#include "support/testdata.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace horalux::test {

std::optional<std::filesystem::path> captureDir() {
    std::filesystem::path shared = HORALUX_SHARED_DIR;
    if (const char* env = std::getenv("HORALUX_SHARED_DIR"); env != nullptr && *env != '\0') {
        shared = env;
    }
    const auto dir = shared / "testdata" / "nmea";
    if (std::filesystem::is_directory(dir)) {
        return dir;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> captureFiles() {
    std::vector<std::filesystem::path> files;
    if (const auto dir = captureDir()) {
        for (const auto& entry : std::filesystem::directory_iterator(*dir)) {
            if (entry.path().extension() == ".log") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool inCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

}  // namespace horalux::test
