#include "listing/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pelmora {

std::string notRegularFileReason(const std::string& path) {
    return path + ": not a regular file";
}

std::optional<std::string> readTextFile(const std::string& path, std::string& reason,
                                        FileKinds kinds) {
    const auto fail = [&](int error) {
        reason = path + ": " + std::strerror(error);
        errno = error;
        return std::nullopt;
    };
    const bool regularOnly = kinds == FileKinds::RegularOnly;
    // Opening a FIFO for reading waits for a writer, unless without blocking; a regular file
    // reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0));
    if (fd < 0) {
        return fail(errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return fail(EISDIR);
    }
    if (regularOnly && !S_ISREG(info.st_mode)) {
        ::close(fd);
        fail(EINVAL);
        reason = notRegularFileReason(path);
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return fail(error);
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

std::string writeFileAtomically(const std::string& path, std::string_view bytes) {
    const auto slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "."
                                  : slash == 0               ? ""
                                                             : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = directory + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        // The reason is given for the file asked for, not for the temporary name beside it: a
        // folder that refuses writing says so ("/proc/cams.csv: Permission denied").
        int error = errno;
        if (::access(directory.empty() ? "/" : directory.c_str(), W_OK) != 0) {
            error = errno;
        }
        return path + ": " + std::strerror(error);
    }
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return path + ": " + std::strerror(error);
    };
    // mkstemp makes the file private; an exported list is an ordinary file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) {
        return fail(errno);
    }
    while (!bytes.empty()) {
        const auto n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    if (::fsync(fd) != 0) {
        return fail(errno);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return path + ": " + std::strerror(error);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return path + ": " + std::strerror(error);
    }
    return {};
}

}  // namespace pelmora
