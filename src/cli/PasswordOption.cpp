#include "cli/PasswordOption.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "protocol/CoreDumps.h"

namespace pelmora {
namespace {

constexpr const char* kNoLine = "no line to read";

// Far longer than any password a camera takes; a longer line is cut here and then refused by
// the length check.
constexpr std::size_t kLongestLine = 4096;

// Reads from `fd` up to the first LF, byte by byte so that nothing past the line is consumed.
// Nothing when the input ends before a single byte.
std::optional<std::string> readLine(int fd, std::string* error) {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            *error = std::strerror(errno);
            return std::nullopt;
        }
        if (got == 0) {
            if (line.empty()) {
                *error = kNoLine;
                return std::nullopt;
            }
            break;
        }
        if (c == '\n') {
            break;
        }
        if (line.size() < kLongestLine) {
            line += c;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// The terminal whose echo is off and its settings before, for a signal handler to put back:
// the descriptor is set only once the settings are saved.
volatile std::sig_atomic_t hiddenTerminal = -1;
termios savedTerminal{};

// The signals that end the process while it waits at the prompt (Ctrl-C, kill, a closed
// terminal, Ctrl-\). Each puts the terminal back, then ends the process as it would have.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void restoreTerminalAndEnd(int signal) {
    // Only async-signal-safe calls: tcsetattr, sigaction, raise.
    if (const int fd = hiddenTerminal; fd >= 0) {
        tcsetattr(fd, TCSANOW, &savedTerminal);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    // Blocked while this handler runs; delivered with its default action as it returns.
    raise(signal);
}

// Turns the terminal's echo off for as long as it lives, and puts it back should the process
// be ended by a signal meanwhile.
class HiddenTyping {
  public:
    explicit HiddenTyping(int fd) : fd_(fd) {
        if (tcgetattr(fd_, &saved_) != 0) {
            return;
        }
        savedTerminal = saved_;
        // The handler must see the settings whole once it sees the descriptor.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        hiddenTerminal = fd_;
        struct sigaction restore {};
        restore.sa_handler = restoreTerminalAndEnd;
        sigemptyset(&restore.sa_mask);
        for (const int signal : kEndingSignals) {
            sigaddset(&restore.sa_mask, signal);
        }
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            struct sigaction& previous = previous_[i];
            // A signal the process was told to ignore (nohup) stays ignored.
            if (sigaction(kEndingSignals[i], nullptr, &previous) == 0 &&
                previous.sa_handler != SIG_IGN) {
                handled_[i] = sigaction(kEndingSignals[i], &restore, nullptr) == 0;
            }
        }
        termios quiet = saved_;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        hidden_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~HiddenTyping() {
        if (hidden_) {
            tcsetattr(fd_, TCSAFLUSH, &saved_);
        }
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            if (handled_[i]) {
                sigaction(kEndingSignals[i], &previous_[i], nullptr);
            }
        }
        hiddenTerminal = -1;
    }
    HiddenTyping(const HiddenTyping&) = delete;
    HiddenTyping& operator=(const HiddenTyping&) = delete;

  private:
    int fd_;
    termios saved_{};
    bool hidden_ = false;
    struct sigaction previous_[std::size(kEndingSignals)]{};
    bool handled_[std::size(kEndingSignals)] = {};
};

}  // namespace

std::optional<std::string> StandardInputLines::next(const std::string& prompt, std::string* error) {
    std::optional<std::string> line;
    if (isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "%s: ", prompt.c_str());
        std::fflush(stderr);
        {
            const HiddenTyping hidden(STDIN_FILENO);
            line = readLine(STDIN_FILENO, error);
        }
        // The Enter that ended the line was not echoed either.
        std::fputc('\n', stderr);
    } else {
        line = readLine(STDIN_FILENO, error);
    }
    if (!line && *error == kNoLine) {
        *error = "standard input ended before this password's line";
    }
    return line;
}

std::optional<std::string> readPrivateFirstLine(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = std::strerror(errno);
        return std::nullopt;
    }
    // The mode of the file that was opened, not of whatever the name points to by now.
    struct stat status {};
    std::optional<std::string> line;
    if (fstat(fd, &status) != 0) {
        *error = std::strerror(errno);
    } else if (S_ISDIR(status.st_mode)) {
        *error = "is a directory";
    } else if ((status.st_mode & (S_IRGRP | S_IROTH)) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
        *error = std::string("group or others may read it (mode ") + mode +
                 "); let only its owner read it (chmod 600)";
    } else {
        line = readLine(fd, error);
        if (!line && *error == kNoLine) {
            *error = "is empty";
        }
    }
    ::close(fd);
    return line;
}

PasswordOption::PasswordOption(CLI::App* command, PasswordNames names, const std::string& help,
                               CLI::Validator conversion, std::vector<CLI::Validator> checks)
    : names_(std::move(names)), conversion_(std::move(conversion)), checks_(std::move(checks)) {
    const auto& name = names_.option;
    text_ = command
                ->add_option(name, textValue_,
                             help + ". Other users of this machine can read it here: " + name +
                                 "-file, " + name + "-stdin or " + names_.environment +
                                 " keep it from them")
                ->transform(conversion_);
    for (const auto& check : checks_) {
        text_->check(check);
    }
    file_ = command
                ->add_option(
                    name + "-file", filePath_,
                    "Read " + name + " from the first line of FILE, which only its owner may read")
                ->type_name("FILE");
    stdin_ = command->add_flag(name + "-stdin", stdinFlag_,
                               "Read " + name + " from one line of standard input");
    text_->excludes(file_)->excludes(stdin_);
    file_->excludes(stdin_);
}

std::string PasswordOption::resolve(StandardInputLines& input) {
    if (text_->count() > 0) {
        // Converted and checked while parsing already.
        value_ = textValue_;
        keepSecretsOutOfCoreDumps();
        return {};
    }
    std::string source;
    std::optional<std::string> read;
    std::string error;
    if (file_->count() > 0) {
        source = file_->get_name();
        read = readPrivateFirstLine(filePath_, &error);
        if (!read) {
            return source + " " + filePath_ + ": " + error;
        }
    } else if (stdin_->count() > 0) {
        source = stdin_->get_name();
        read = input.next(names_.prompt, &error);
        if (!read) {
            return source + ": " + error;
        }
    } else if (const char* environment = std::getenv(names_.environment.c_str());
               environment != nullptr && *environment != '\0') {
        source = names_.environment;
        read = std::string(environment);
    } else {
        return {};
    }
    // From here on the password is in this process's memory, however the checks end.
    keepSecretsOutOfCoreDumps();
    if (auto message = conversion_(*read); !message.empty()) {
        return source + ": " + message;
    }
    for (const auto& check : checks_) {
        if (auto message = check(*read); !message.empty()) {
            return source + ": " + message;
        }
    }
    value_ = std::move(read);
    return {};
}

std::string PasswordOption::advice() const {
    return "use " + names_.option + "-file, " + names_.option + "-stdin or " + names_.environment +
           " instead";
}

const std::string& PasswordOption::value() const {
    static const std::string kNone;
    return value_ ? *value_ : kNone;
}

}  // namespace pelmora
