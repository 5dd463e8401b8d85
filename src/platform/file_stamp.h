#pragma once

#include <cstdint>
#include <string>

namespace horalux {

// What one stat tells of a file, enough to know whether it has changed since: another inode
// (written beside and renamed), another size, or another modification time.
struct FileStamp {
    bool exists = false;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNanos = 0;

    // The stamp of the file at `path` now; a missing or unreadable file has exists false.
    static FileStamp Of(const std::string& path);

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

}  // namespace horalux
