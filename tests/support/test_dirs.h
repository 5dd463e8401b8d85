#pragma once

#include <filesystem>
#include <string>

namespace horalux::test {

// A temporary folder removed with its contents when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The build folder (where bin/ holds the programs and screenshots go).
std::filesystem::path buildDir();
// A program of ours in build/bin.
std::string binary(const std::string& name);

}  // namespace horalux::test
