#include "changelog/ChangeLogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "changelog/StateDirectory.h"
#include "listing/TextFile.h"

namespace pelmora {
namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_;
};

// Without blocking: a FIFO put in the file's place must not hold a setting request back (with
// no reader the open fails at once, ENXIO); a regular file writes the same either way.
int openForAppend(const std::string& path) {
    return ::open(path.c_str(),
                  O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY,
                  0600);
}

std::string reason(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

// Why `path` could not be opened: that it is no regular file (a FIFO, a device, a socket, a
// symbolic link) rather than the system's less telling ENXIO or ELOOP.
std::string openFailure(const std::string& path) {
    const int error = errno;
    struct stat named {};
    if (::lstat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        return notRegularFileReason(path);
    }
    errno = error;
    return reason(path);
}

// Only a regular file is appended to: a FIFO with a reader opens all the same.
std::string checkRegular(int fd, const std::string& path, struct stat& opened) {
    if (::fstat(fd, &opened) != 0) {
        return reason(path);
    }
    return S_ISREG(opened.st_mode) ? std::string() : notRegularFileReason(path);
}

}  // namespace

ChangeLogFile::ChangeLogFile(std::string directory, std::uint64_t rotateAt)
    : directory_(std::move(directory)), rotateAt_(rotateAt) {}

std::string ChangeLogFile::append(std::string_view line) {
    if (auto trouble = makeDirectories(directory_); !trouble.empty()) {
        return trouble;
    }
    const auto name = path();
    Descriptor fd(openForAppend(name));
    if (fd.get() < 0) {
        return openFailure(name);
    }
    struct stat opened {};
    if (auto trouble = checkRegular(fd.get(), name, opened); !trouble.empty()) {
        return trouble;
    }
    if (opened.st_size > 0 &&
        static_cast<std::uint64_t>(opened.st_size) + line.size() > rotateAt_) {
        // Only the file this descriptor holds is moved: when another process has rotated it
        // already, the name now belongs to a fresh file, which is kept.
        struct stat named {};
        if (::stat(name.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev) {
            if (std::rename(name.c_str(), previousPath().c_str()) != 0) {
                return reason(previousPath());
            }
        }
        fd.reset(openForAppend(name));
        if (fd.get() < 0) {
            return openFailure(name);
        }
        if (auto trouble = checkRegular(fd.get(), name, opened); !trouble.empty()) {
            return trouble;
        }
    }
    const auto written = ::write(fd.get(), line.data(), line.size());
    if (written < 0) {
        return reason(name);
    }
    if (static_cast<std::size_t>(written) != line.size()) {
        return name + ": " + std::strerror(ENOSPC);
    }
    return {};
}

}  // namespace pelmora
