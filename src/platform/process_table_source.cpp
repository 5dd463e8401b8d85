#include "platform/process_table_source.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace horalux {

namespace {

// The kernel keeps at most 15 characters of a process's name.
constexpr size_t kCommLength = 15;

std::string ReadSmallFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

bool IsProcessFolder(const std::filesystem::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// chronyd -x: "do not set the clock".
bool LeavesTheClockAlone(const std::string& daemon, const std::string& cmdline) {
    if (daemon != "chronyd") {
        return false;
    }
    size_t start = 0;
    while (start < cmdline.size()) {
        const size_t end = std::min(cmdline.find('\0', start), cmdline.size());
        if (cmdline.compare(start, end - start, "-x") == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

ProcessTableSource::ProcessTableSource(std::string procRoot) : procRoot_(std::move(procRoot)) {}

void ProcessTableSource::detect(Report report) {
    // The watcher belongs to this object: once it is gone, a scan still running reports nowhere.
    auto* watcher = new QFutureWatcher<std::vector<std::string>>(&context_);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &context_,
                     [watcher, report = std::move(report)] {
                         report(TimeServiceReport{watcher->result(), false});
                         watcher->deleteLater();
                     });
    watcher->setFuture(QtConcurrent::run(Scan, procRoot_));
}

std::vector<std::string> ProcessTableSource::Scan(const std::string& procRoot) {
    std::vector<bool> running(kDaemons.size(), false);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        if (!IsProcessFolder(entry)) {
            continue;
        }
        std::string comm = ReadSmallFile(entry.path() / "comm");
        while (!comm.empty() && (comm.back() == '\n' || comm.back() == '\0')) {
            comm.pop_back();
        }
        for (size_t i = 0; i < kDaemons.size(); ++i) {
            if (comm.empty() || comm != kDaemons[i].substr(0, kCommLength)) {
                continue;
            }
            if (!LeavesTheClockAlone(kDaemons[i], ReadSmallFile(entry.path() / "cmdline"))) {
                running[i] = true;
            }
        }
    }
    std::vector<std::string> found;
    for (size_t i = 0; i < kDaemons.size(); ++i) {
        if (running[i]) {
            found.push_back(kDaemons[i]);
        }
    }
    return found;
}

}  // namespace horalux
