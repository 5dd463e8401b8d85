#include "platform/autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace horalux {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The general escapes of a desktop entry's string values.
std::string EscapeString(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeString(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                out += next;  // "\\" and escapes this format does not define
        }
    }
    return out;
}

// The value of `key` in the [Desktop Entry] group, or nothing.
std::optional<std::string> ValueOf(const std::string& contents, std::string_view key) {
    bool inGroup = false;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos) {
            end = contents.size();
        }
        std::string_view line(contents.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos) {
            continue;
        }
        std::string_view name = line.substr(0, equals);
        while (!name.empty() && name.back() == ' ') {
            name.remove_suffix(1);
        }
        if (name != key) {
            continue;
        }
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);
        }
        return UnescapeString(value);
    }
    return std::nullopt;
}

std::optional<std::string> ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll().toStdString();
}

bool IsExecutableFile(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    return info.isFile() && info.isExecutable();
}

}  // namespace

AutostartEntry::AutostartEntry(Identity identity, std::string executable, QString folder)
    : identity_(std::move(identity)),
      executable_(std::move(executable)),
      folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)) {}

QString AutostartEntry::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString AutostartEntry::path() const {
    return QDir(folder_).filePath(QString::fromStdString(identity_.appId) +
                                  QStringLiteral(".desktop"));
}

AutostartEntry::State AutostartEntry::state() const {
    const std::optional<std::string> contents = ReadFile(path());
    if (!contents) {
        return State::Absent;
    }
    if (ValueOf(*contents, "Hidden") == "true" ||
        ValueOf(*contents, "X-GNOME-Autostart-enabled") == "false") {
        return State::Disabled;
    }
    return State::Enabled;
}

std::optional<std::string> AutostartEntry::program() const {
    const std::optional<std::string> contents = ReadFile(path());
    if (!contents) {
        return std::nullopt;
    }
    const std::optional<std::string> exec = ValueOf(*contents, "Exec");
    if (!exec) {
        return std::nullopt;
    }
    return ProgramOfExec(*exec);
}

bool AutostartEntry::enable(QString* error) {
    return write(true, error);
}

bool AutostartEntry::disable(QString* error) {
    QFile file(path());
    if (!file.exists() || file.remove()) {
        return true;
    }
    if (error != nullptr) {
        *error = QStringLiteral("Cannot remove %1: %2.").arg(path(), file.errorString());
    }
    return false;
}

bool AutostartEntry::refresh(QString* error) {
    const State now = state();
    if (now == State::Absent) {
        return false;
    }
    const std::optional<std::string> named = program();
    if (named && (*named == executable_ || IsExecutableFile(*named))) {
        return false;
    }
    return write(now == State::Enabled, error);
}

bool AutostartEntry::write(bool enabled, QString* error) const {
    const auto fail = [&](const QString& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    };
    if (!QDir().mkpath(folder_)) {
        return fail(QStringLiteral("Cannot create the folder %1.").arg(folder_));
    }
    QSaveFile file(path());
    const std::string text = Contents(identity_, executable_, enabled);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) < 0 || !file.commit()) {
        return fail(QStringLiteral("Cannot write %1: %2.").arg(path(), file.errorString()));
    }
    return true;
}

std::string AutostartEntry::Contents(const Identity& identity, std::string_view executable,
                                     bool enabled) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + EscapeString(identity.name) + "\n";
    text += "Comment=" + EscapeString(identity.comment) + "\n";
    text += "Exec=" + EscapeString(ExecValue(executable)) + "\n";
    // A session skips an entry whose program is gone instead of failing to start it.
    text += "TryExec=" + EscapeString(executable) + "\n";
    text += "Icon=" + EscapeString(identity.appId) + "\n";
    text += "Terminal=false\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    if (!enabled) {
        text += "Hidden=true\n";
    }
    return text;
}

std::string AutostartEntry::ExecValue(std::string_view program) {
    std::string escaped;
    for (char c : program) {
        if (c == '%') {
            escaped += "%%";
        } else {
            escaped += c;
        }
    }
    if (escaped.find_first_of(kReserved) == std::string::npos) {
        return escaped;
    }
    std::string quoted = "\"";
    for (char c : escaped) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::optional<std::string> AutostartEntry::ProgramOfExec(std::string_view execValue) {
    size_t i = 0;
    while (i < execValue.size() && execValue[i] == ' ') {
        ++i;
    }
    std::string word;
    if (i < execValue.size() && execValue[i] == '"') {
        bool closed = false;
        for (++i; i < execValue.size(); ++i) {
            const char c = execValue[i];
            if (c == '\\' && i + 1 < execValue.size()) {
                word += execValue[++i];
            } else if (c == '"') {
                closed = true;
                break;
            } else {
                word += c;
            }
        }
        if (!closed) {
            return std::nullopt;
        }
    } else {
        while (i < execValue.size() && execValue[i] != ' ') {
            word += execValue[i++];
        }
    }
    std::string program;
    for (size_t j = 0; j < word.size(); ++j) {
        program += word[j];
        if (word[j] == '%' && j + 1 < word.size() && word[j + 1] == '%') {
            ++j;
        }
    }
    if (program.empty()) {
        return std::nullopt;
    }
    return program;
}

}  // namespace horalux
