#include "sync/update_outcome.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/system_time.h"

namespace horalux {

namespace {

struct ResultRow {
    UpdateResult result;
    const char* key;
    const char* words;
};

constexpr std::array kResults{
    ResultRow{UpdateResult::Set, "set", "set"},
    ResultRow{UpdateResult::NotLocked, "not-locked", "not locked"},
    ResultRow{UpdateResult::LocalHour, "local-hour", "local hour 23 or 1"},
    ResultRow{UpdateResult::NoTurnOver, "no-turn-over", "GPS second did not turn over"},
    ResultRow{UpdateResult::InvalidTime, "invalid-time", "receiver time not valid"},
    ResultRow{UpdateResult::DelayOutOfRange, "delay-out-of-range", "fix-up delay out of range"},
    ResultRow{UpdateResult::LeftToChronyd, "left-to-chronyd", "left to chronyd"},
    ResultRow{UpdateResult::Stopped, "stopped", "stopped"},
    ResultRow{UpdateResult::BadServerName, "bad-server-name", "not a server name"},
    ResultRow{UpdateResult::NameNotFound, "name-not-found", "server name not found"},
    ResultRow{UpdateResult::ServerUnreachable, "server-unreachable", "server not reached"},
    ResultRow{UpdateResult::ServerSilent, "server-silent", "server silent"},
    ResultRow{UpdateResult::ServerRefused, "server-refused", "server refused"},
    ResultRow{UpdateResult::BadReply, "bad-reply", "reply not understood"},
    ResultRow{UpdateResult::NtsCertificate, "nts-certificate", "NTS certificate not trusted"},
    ResultRow{UpdateResult::NtsRefused, "nts-refused", "server refused NTS"},
    ResultRow{UpdateResult::NtsNoCookies, "nts-no-cookies", "NTS server sent no cookies"},
    ResultRow{UpdateResult::NtsNotAuthentic, "nts-not-authentic", "NTS replies not authentic"},
    ResultRow{UpdateResult::PrivilegeMissing, "privilege-missing", "privilege missing"},
    ResultRow{UpdateResult::NotAuthorized, "not-authorized", "not allowed by the system's policy"},
    ResultRow{UpdateResult::HelperFailed, "helper-failed", "clock helper failed"},
    ResultRow{UpdateResult::ClockRefused, "clock-refused", "clock refused"},
};

const ResultRow& RowOf(UpdateResult result) {
    for (const ResultRow& row : kResults) {
        if (row.result == result) {
            return row;
        }
    }
    return kResults.front();
}

constexpr const char* kMinus = "\u2212";

}  // namespace

const char* ReferenceKey(UpdateReference reference) {
    switch (reference) {
        case UpdateReference::Gps:
            return "GPS";
        case UpdateReference::Sntp:
            return "SNTP";
        case UpdateReference::Daytime:
            return "Daytime";
    }
    return "?";
}

std::optional<UpdateReference> ReferenceFromKey(std::string_view key) {
    for (UpdateReference r :
         {UpdateReference::Gps, UpdateReference::Sntp, UpdateReference::Daytime}) {
        if (key == ReferenceKey(r)) {
            return r;
        }
    }
    return std::nullopt;
}

const char* ResultKey(UpdateResult result) {
    return RowOf(result).key;
}

std::optional<UpdateResult> ResultFromKey(std::string_view key) {
    for (const ResultRow& row : kResults) {
        if (key == row.key) {
            return row.result;
        }
    }
    return std::nullopt;
}

const char* ResultWords(UpdateResult result) {
    return RowOf(result).words;
}

const char* SentenceName(int timeSource) {
    switch (timeSource) {
        case 1:
            return "RMC";
        case 2:
            return "ZDA";
        default:
            return "GGA";
    }
}

std::string FormatCorrection(int64_t ms) {
    const char* sign = ms < 0 ? kMinus : "+";
    const int64_t magnitude = std::llabs(ms);
    char digits[48];
    if (magnitude < 1000) {
        std::snprintf(digits, sizeof digits, "%lld ms", static_cast<long long>(magnitude));
    } else {
        std::snprintf(digits, sizeof digits, "%lld.%03lld s",
                      static_cast<long long>(magnitude / 1000),
                      static_cast<long long>(magnitude % 1000));
    }
    return sign + std::string(digits);
}

std::string DescribeSource(const UpdateOutcome& outcome) {
    const std::string reference = ReferenceKey(outcome.reference);
    if (outcome.source.empty()) {
        return reference;
    }
    if (outcome.reference == UpdateReference::Gps) {
        return reference + " (" + outcome.source + ")";
    }
    return reference + ", " + outcome.source;
}

std::string DescribeOutcome(const UpdateOutcome& outcome) {
    const SystemTime t = utcFromUnixMillis(outcome.timeMs);
    char when[64];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u UTC, ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    const std::string how = outcome.result == UpdateResult::Set
                                ? std::string("set")
                                : std::string("not set, ") + ResultWords(outcome.result);
    return when + DescribeSource(outcome) + ": " + how;
}

std::string OutcomeTip(const UpdateOutcome& outcome) {
    if (outcome.result != UpdateResult::Set) {
        return std::string("Not set: ") + ResultWords(outcome.result);
    }
    const SystemTime t = utcFromUnixMillis(outcome.timeMs);
    char text[64];
    std::snprintf(text, sizeof text, "Set %02u:%02u UTC", t.hour, t.minute);
    std::string tip = text;
    if (outcome.correctionMs) {
        tip += ", " + FormatCorrection(*outcome.correctionMs);
    }
    return tip;
}

}  // namespace horalux
