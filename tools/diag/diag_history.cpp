// horalux-diag history [FILE]: the record of clock updates (by default the program's own, in the
// state folder) as JSON, one object per update, oldest first. Only reads the file.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/update_log.h"
#include "diag/diag_commands.h"
#include "diag/diag_json.h"
#include "platform/state_file.h"
#include "platform/system_time.h"

namespace horalux::diag {

namespace {

std::string IsoTime(int64_t ms) {
    const SystemTime t = utcFromUnixMillis(ms);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.milliseconds);
    return text;
}

std::string Json(const UpdateOutcome& o) {
    std::string json = "{\"time\": \"" + IsoTime(o.timeMs) + "\", \"reference\": \"" +
                       ReferenceKey(o.reference) + "\"";
    if (!o.source.empty()) {
        json += o.reference == UpdateReference::Gps ? ", \"sentence\": " : ", \"server\": ";
        json += jsonString(o.source);
    }
    if (o.result == UpdateResult::Set) {
        json += ", \"result\": \"set\"";
    } else {
        json += std::string(", \"result\": \"not set\", \"reason\": \"") + ResultKey(o.result) +
                "\", \"reason_text\": " + jsonString(ResultWords(o.result));
    }
    if (o.correctionMs) {
        json += ", \"correction_ms\": " + std::to_string(*o.correctionMs);
    }
    if (o.delayMs) {
        char delay[40];
        std::snprintf(delay, sizeof delay, ", \"delay_ms\": %.3f", *o.delayMs);
        json += delay;
    }
    return json + "}";
}

}  // namespace

int runHistory(const std::vector<std::string>& args) {
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: horalux-diag history [FILE]\n");
        return 2;
    }
    const std::string path = args.empty() ? UpdateLog::DefaultPath() : args[0];
    std::string bytes;
    int error = 0;
    switch (StateFile::ReadAll(path, &bytes, &error)) {
        case StateFile::Read::Missing:
            std::fprintf(stderr, "horalux-diag history: no record yet at %s\n", path.c_str());
            std::printf("[]\n");
            return 0;
        case StateFile::Read::Failed:
            std::fprintf(stderr, "horalux-diag history: cannot read %s: %s\n", path.c_str(),
                         std::strerror(error));
            return 1;
        case StateFile::Read::Done:
            break;
    }
    const UpdateLog::Contents contents = UpdateLog::Parse(bytes);
    if (contents.kind == UpdateLog::Contents::Kind::Foreign) {
        std::fprintf(stderr, "horalux-diag history: %s is not a record of clock updates\n",
                     path.c_str());
        return 1;
    }
    if (contents.badLines > 0) {
        std::fprintf(stderr, "horalux-diag history: %zu damaged line(s) in %s left out\n",
                     contents.badLines, path.c_str());
    }
    std::printf("[");
    const char* separator = "\n";
    for (const UpdateOutcome& o : contents.updates) {
        std::printf("%s%s", separator, Json(o).c_str());
        separator = ",\n";
    }
    std::printf("\n]\n");
    return 0;
}

}  // namespace horalux::diag
