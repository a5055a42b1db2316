#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pelmora {
namespace {

// errno of the first failed write through writeOutput; 0 while none failed.
int firstWriteError = 0;

}  // namespace

void reserveStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // open takes the lowest free descriptor, `fd`, as the ones below it are open. Read-only
        // on standard output: writing to it fails with EBADF, as writing to the closed
        // descriptor would have.
        ::open("/dev/null", fd == STDERR_FILENO ? O_WRONLY : O_RDONLY);
    }
}

void writeOutput(std::FILE* out, std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() && firstWriteError == 0) {
        firstWriteError = errno;
    }
}

bool standardOutputFailed() {
    // A failed flush's reason is kept like a failed write's: a later flush has nothing left to
    // write and says nothing.
    const bool flushed = std::fflush(stdout) == 0;
    if (!flushed && firstWriteError == 0) {
        firstWriteError = errno;
    }
    return !flushed || std::ferror(stdout) != 0;
}

int finishStandardOutput(int exitCode) {
    if (!standardOutputFailed()) {
        return exitCode;
    }
    const int error = firstWriteError;
    if (error != 0) {
        std::fprintf(stderr, "Error : writing standard output: %s\n", std::strerror(error));
    } else {
        std::fputs("Error : writing standard output failed\n", stderr);
    }
    return exitCode == 0 ? 1 : exitCode;
}

}  // namespace pelmora
