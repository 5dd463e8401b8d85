#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/chrony_feed.h"

namespace horalux {

// One line of `chronyc -c sources`: mode ('^' server, '=' peer, '#' reference clock), state ('*'
// selected, '+' combined, '-' not combined, '?' unreachable, 'x' falseticker, '~' too
// variable), name (a reference clock's refid), stratum, poll, reach (octal in chronyc's table,
// decimal here), seconds since the last sample, adjusted and measured offset and error (seconds).
struct ChronySource {
    char mode = 0;
    char state = 0;
    std::string name;
    int stratum = 0;
    int poll = 0;
    int reach = 0;
    long long lastRx = 0;
    double adjustedOffset = 0;
    double measuredOffset = 0;
    double error = 0;
    friend bool operator==(const ChronySource&, const ChronySource&) = default;
};

// The sources of `chronyc -c sources`; empty when a line does not have the ten fields.
std::optional<std::vector<ChronySource>> ParseChronySources(std::string_view csv);

// What chronyc did, as the line needs it.
struct ChronycResult {
    bool started = false;   // chronyc could be run at all
    bool finished = false;  // it ended within its bound
    int exitCode = 0;
    std::string out;
    std::string err;
};

// The line the System Configuration page shows in place of the other time services while GPS
// time is fed to chronyd: chronyd's state as `chronyc -c sources` (the result) and the feed's
// segment tell it. Reading: chronyd has the segment attached, with the reference clock's state
// and its adjusted offset where a source of mode '#' named "GPS" or "SHM<unit>" (or the only one)
// is listed.
std::string ChronyStateLine(const ChronycResult& result, const ChronyFeed::Status& feed);

}  // namespace horalux
