#pragma once

#include <string>
#include <string_view>

namespace horalux {

// The folder where the program keeps what it records about its own work:
// $XDG_STATE_HOME/Horalux, or ~/.local/state/Horalux when that is unset or not absolute.
std::string StateDirectory();

// Files of a small record kept in that folder. Each call reports a failure as false with the
// errno in *error.
struct StateFile {
    enum class Read { Done, Missing, Failed };
    // The whole file into *bytes.
    static Read ReadAll(const std::string& path, std::string* bytes, int* error);
    // Adds bytes at the end with one write (the file and its folder are made when missing), so a
    // process killed at any moment leaves either all of them or none.
    static bool Append(const std::string& path, std::string_view bytes, int* error);
    // Replaces the file's contents: written beside it, flushed to the disk, renamed over it.
    static bool Replace(const std::string& path, std::string_view bytes, int* error);
    // Moves the file aside (replacing what lay at `to`).
    static bool Rename(const std::string& from, const std::string& to, int* error);
};

}  // namespace horalux
