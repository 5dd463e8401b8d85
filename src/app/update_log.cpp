#include "app/update_log.h"

#include <QByteArrayView>
#include <QtGlobal>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/state_file.h"

namespace horalux {

namespace {

constexpr size_t kFields = 7;

uint16_t Checksum(std::string_view text) {
    return qChecksum(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

template <class T>
std::optional<T> Number(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(separator, start);
        parts.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) {
            return parts;
        }
        start = at + 1;
    }
}

}  // namespace

std::string UpdateLog::DefaultPath() {
    return StateDirectory() + "/" + std::string(kFileName);
}

UpdateLog::UpdateLog(std::string path, Warn warn) : path_(std::move(path)), warn_(std::move(warn)) {
    if (!warn_) {
        warn_ = [](const std::string& message) {
            std::fprintf(stderr, "horalux: %s\n", message.c_str());
        };
    }
}

std::string UpdateLog::FormatLine(const UpdateOutcome& outcome) {
    std::string source = outcome.source;
    for (char& c : source) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::string line = std::to_string(outcome.timeMs) + '\t' + ReferenceKey(outcome.reference) +
                       '\t' + source + '\t' + ResultKey(outcome.result) + '\t' +
                       (outcome.correctionMs ? std::to_string(*outcome.correctionMs) : "-") + '\t';
    if (outcome.delayMs) {
        char delay[32];
        std::snprintf(delay, sizeof delay, "%.3f", *outcome.delayMs);
        line += delay;
    } else {
        line += '-';
    }
    line += '\t';
    return line + Hex4(Checksum(line));
}

std::optional<UpdateOutcome> UpdateLog::ParseLine(std::string_view line) {
    const std::vector<std::string_view> fields = Split(line, '\t');
    if (fields.size() != kFields) {
        return std::nullopt;
    }
    const std::string_view body = line.substr(0, line.size() - fields.back().size());
    if (fields.back() != Hex4(Checksum(body))) {
        return std::nullopt;
    }
    UpdateOutcome outcome;
    const auto time = Number<int64_t>(fields[0]);
    const auto reference = ReferenceFromKey(fields[1]);
    const auto result = ResultFromKey(fields[3]);
    if (!time || !reference || !result) {
        return std::nullopt;
    }
    outcome.timeMs = *time;
    outcome.reference = *reference;
    outcome.source = std::string(fields[2]);
    outcome.result = *result;
    if (fields[4] != "-") {
        outcome.correctionMs = Number<int64_t>(fields[4]);
        if (!outcome.correctionMs) {
            return std::nullopt;
        }
    }
    if (fields[5] != "-") {
        outcome.delayMs = Number<double>(fields[5]);
        if (!outcome.delayMs) {
            return std::nullopt;
        }
    }
    return outcome;
}

UpdateLog::Contents UpdateLog::Parse(std::string_view bytes) {
    Contents contents;
    if (bytes.empty()) {
        return contents;
    }
    const size_t headerEnd = bytes.find('\n');
    if (headerEnd == std::string_view::npos || bytes.substr(0, headerEnd) != kHeader) {
        contents.kind = Contents::Kind::Foreign;
        return contents;
    }
    contents.kind = Contents::Kind::Record;
    std::string_view rest = bytes.substr(headerEnd + 1);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            ++contents.badLines;  // a line that was never finished
            break;
        }
        if (auto outcome = ParseLine(rest.substr(0, end))) {
            contents.updates.push_back(std::move(*outcome));
        } else {
            ++contents.badLines;
        }
        rest.remove_prefix(end + 1);
    }
    return contents;
}

void UpdateLog::Load() {
    std::string bytes;
    int error = 0;
    switch (StateFile::ReadAll(path_, &bytes, &error)) {
        case StateFile::Read::Missing:
            return;
        case StateFile::Read::Failed:
            writable_ = false;
            Notice("cannot read the record of clock updates " + path_ + ": " +
                   std::strerror(error) + "; this run's updates are not kept");
            return;
        case StateFile::Read::Done:
            break;
    }
    Contents contents = Parse(bytes);
    switch (contents.kind) {
        case Contents::Kind::Empty:
            return;
        case Contents::Kind::Foreign:
            SetAside(".foreign", "is not a record of clock updates");
            return;
        case Contents::Kind::Record:
            break;
    }
    updates_ = std::move(contents.updates);
    fileLines_ = updates_.size();
    if (updates_.size() > kCapacity) {
        updates_.erase(updates_.begin(), updates_.end() - kCapacity);
    }
    if (contents.badLines > 0) {
        SetAside(".damaged", "has " + std::to_string(contents.badLines) + " damaged line(s); the " +
                                 std::to_string(updates_.size()) + " whole ones are kept");
        Rewrite();
    }
    ++revision_;
}

void UpdateLog::SetAside(const char* suffix, const std::string& why) {
    const std::string aside = path_ + suffix;
    int error = 0;
    if (StateFile::Rename(path_, aside, &error)) {
        Notice("the record of clock updates " + path_ + " " + why + "; set aside as " + aside);
    } else {
        writable_ = false;
        Notice("the record of clock updates " + path_ + " " + why + " and cannot be set aside (" +
               std::strerror(error) + "); this run's updates are not kept");
    }
    fileLines_ = 0;
}

void UpdateLog::Rewrite() {
    if (!writable_) {
        return;
    }
    std::string bytes = std::string(kHeader) + '\n';
    for (const UpdateOutcome& outcome : updates_) {
        bytes += FormatLine(outcome) + '\n';
    }
    int error = 0;
    if (StateFile::Replace(path_, bytes, &error)) {
        fileLines_ = updates_.size();
    } else if (!writeWarned_) {
        writeWarned_ = true;
        Notice("cannot write the record of clock updates " + path_ + ": " + std::strerror(error));
    }
}

void UpdateLog::Append(const UpdateOutcome& outcome) {
    updates_.push_back(outcome);
    if (updates_.size() > kCapacity) {
        updates_.erase(updates_.begin(), updates_.end() - kCapacity);
    }
    if (writable_ && fileLines_ + 1 >= 2 * kCapacity) {
        Rewrite();
    } else if (writable_) {
        const std::string line = FormatLine(outcome) + '\n';
        int error = 0;
        // A new file begins with the header (and replaces whatever empty file lay there).
        const bool written =
            fileLines_ == 0 ? StateFile::Replace(path_, std::string(kHeader) + '\n' + line, &error)
                            : StateFile::Append(path_, line, &error);
        if (written) {
            ++fileLines_;
        } else if (!writeWarned_) {
            writeWarned_ = true;
            Notice("cannot write the record of clock updates " + path_ + ": " +
                   std::strerror(error));
        }
    }
    ++revision_;
    for (const auto& [id, listener] : listeners_) {
        listener();
    }
}

int UpdateLog::Subscribe(std::function<void()> listener) {
    const int id = ++nextListener_;
    listeners_.emplace(id, std::move(listener));
    return id;
}

void UpdateLog::Unsubscribe(int id) {
    listeners_.erase(id);
}

void UpdateLog::Notice(const std::string& message) {
    warn_(message);
}

}  // namespace horalux
