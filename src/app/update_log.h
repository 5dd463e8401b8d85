#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/update_outcome.h"

namespace horalux {

// The record of the last clock updates, kept in a file of the state folder so that it outlives
// the program.
//
// The file is a header line and one line per update, each with its own checksum, appended with
// one write: a program killed at any moment leaves every earlier line whole. Once it holds twice
// the capacity, it is rewritten with the last kCapacity lines beside itself and renamed over (a
// rename is all or nothing). A file with a line that is not whole or fails its checksum is set
// aside as "<file>.damaged" and written anew with the lines that pass; a file that does not begin
// with the header is someone else's and is set aside as "<file>.foreign". Either is said once on
// standard error. A file that cannot be read or written leaves the record to this run's memory.
class UpdateLog {
  public:
    static constexpr size_t kCapacity = 1000;
    static constexpr std::string_view kHeader = "Horalux clock updates 1";
    static constexpr std::string_view kFileName = "clock-updates.log";

    // Where it is kept: StateDirectory()/clock-updates.log.
    static std::string DefaultPath();

    using Warn = std::function<void(const std::string&)>;
    // `warn` receives the messages (default: one line on standard error each).
    explicit UpdateLog(std::string path, Warn warn = {});

    // Reads the file, setting aside a damaged or foreign one.
    void Load();
    // Records one update at the end (dropping the oldest beyond the capacity) and tells the
    // listeners.
    void Append(const UpdateOutcome& outcome);

    // Oldest first, at most kCapacity.
    const std::vector<UpdateOutcome>& updates() const { return updates_; }
    const std::string& path() const { return path_; }
    // Counts the changes, so pollers see whether anything is new.
    uint64_t revision() const { return revision_; }

    // Listeners run after every Append, on the caller's thread.
    int Subscribe(std::function<void()> listener);
    void Unsubscribe(int id);

    // One update as a line of the file (with its checksum, without the line break), and back.
    static std::string FormatLine(const UpdateOutcome& outcome);
    static std::optional<UpdateOutcome> ParseLine(std::string_view line);

    // What a file's bytes hold.
    struct Contents {
        enum class Kind { Empty, Record, Foreign };
        Kind kind = Kind::Empty;
        std::vector<UpdateOutcome> updates;  // every line that passed, oldest first
        size_t badLines = 0;                 // lines not whole or failing their checksum
    };
    static Contents Parse(std::string_view bytes);

  private:
    void Rewrite();
    void SetAside(const char* suffix, const std::string& why);
    void Notice(const std::string& message);

    std::string path_;
    Warn warn_;
    std::vector<UpdateOutcome> updates_;
    size_t fileLines_ = 0;  // update lines in the file
    bool writable_ = true;
    bool writeWarned_ = false;
    uint64_t revision_ = 0;
    int nextListener_ = 0;
    std::map<int, std::function<void()>> listeners_;
};

}  // namespace horalux
