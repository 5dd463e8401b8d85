#include "platform/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/unique_fd.h"

namespace horalux {

namespace {

bool Fail(int* error) {
    *error = errno;
    return false;
}

bool MakeParent(const std::string& path, int* error) {
    std::error_code code;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), code);
    if (code) {
        *error = code.value();
        return false;
    }
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace

std::string StateDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/Horalux";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/state/Horalux";
}

StateFile::Read StateFile::ReadAll(const std::string& path, std::string* bytes, int* error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        *error = errno;
        return errno == ENOENT ? Read::Missing : Read::Failed;
    }
    bytes->clear();
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0) {
            return Read::Done;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            *error = errno;
            return Read::Failed;
        }
        bytes->append(buffer, static_cast<size_t>(got));
    }
}

bool StateFile::Append(const std::string& path, std::string_view bytes, int* error) {
    if (!MakeParent(path, error)) {
        return false;
    }
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.valid() || !WriteAll(fd.get(), bytes)) {
        return Fail(error);
    }
    return true;
}

bool StateFile::Replace(const std::string& path, std::string_view bytes, int* error) {
    if (!MakeParent(path, error)) {
        return false;
    }
    const std::string temp = path + ".new";
    {
        UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!fd.valid()) {
            return Fail(error);
        }
        if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
            const int saved = errno;
            ::unlink(temp.c_str());
            *error = saved;
            return false;
        }
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        *error = saved;
        return false;
    }
    return true;
}

bool StateFile::Rename(const std::string& from, const std::string& to, int* error) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Fail(error);
    }
    return true;
}

}  // namespace horalux
