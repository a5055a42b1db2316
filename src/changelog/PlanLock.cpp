#include "changelog/PlanLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "changelog/StateDirectory.h"

namespace pelmora {

PlanLock::PlanLock(const std::string& directory) {
    if (auto trouble = makeDirectories(directory); !trouble.empty()) {
        trouble_ = "the plan lock cannot be taken: " + trouble;
        return;
    }
    const auto path = directory + "/" + kPlanLockName;
    // Non-blocking and never through a link: a FIFO or a link put in its place must not hang the
    // run or lead it elsewhere.
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        trouble_ = "the plan lock cannot be taken: " + path + ": " + std::strerror(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const char* why = S_ISREG(info.st_mode) || info.st_mode == 0 ? std::strerror(errno)
                                                                     : "not a regular file";
        trouble_ = "the plan lock cannot be taken: " + path + ": " + why;
        ::close(fd);
        return;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        busy_ = errno == EWOULDBLOCK;
        trouble_ = busy_ ? "another plan is being applied on this PC; try again when it has "
                           "finished"
                         : "the plan lock cannot be taken: " + path + ": " + std::strerror(errno);
        ::close(fd);
        return;
    }
    fd_ = fd;
}

PlanLock::~PlanLock() {
    release();
}

PlanLock::PlanLock(PlanLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), busy_(other.busy_), trouble_(std::move(other.trouble_)) {}

PlanLock& PlanLock::operator=(PlanLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        busy_ = other.busy_;
        trouble_ = std::move(other.trouble_);
    }
    return *this;
}

void PlanLock::release() {
    if (fd_ >= 0) {
        // Closing the only descriptor drops the lock.
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace pelmora
