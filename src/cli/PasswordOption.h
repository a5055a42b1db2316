#pragma once
// A password the command line takes. Given as an option's value it can be read by every user of
// the machine (the process list shows whole command lines), so the same password may also come
// from a file only its owner can read, from one line of standard input, or from an environment
// variable, none of which others can see.
//
// Precedence: the three options (--NAME TEXT, --NAME-file FILE, --NAME-stdin) exclude one
// another, two of them being a usage error; the environment variable is read only when none of
// them is given, so an option always wins over what the environment holds. A variable that is
// set but empty counts as not set.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

struct PasswordNames {
    std::string option;       // "--password"
    std::string environment;  // "PELMORA_PASSWORD"
    std::string prompt;       // what a terminal is asked for: "Administrator password"
};

// Hands out the lines of standard input in turn, so that two passwords read from it take one
// line each, in the order they are read.
class StandardInputLines {
  public:
    // The next line without its line end (LF or CRLF); nothing, with the reason in `error`, at
    // the end of the input. On a terminal, asks for `prompt` on standard error and does not echo
    // what is typed.
    std::optional<std::string> next(const std::string& prompt, std::string* error);
};

class PasswordOption {
  public:
    // Adds --NAME, --NAME-file and --NAME-stdin to `command`. `conversion` (to 8-bit text),
    // then `checks` in order, run on the value whichever place it came from.
    PasswordOption(CLI::App* command, PasswordNames names, const std::string& help,
                   CLI::Validator conversion, std::vector<CLI::Validator> checks);

    // The options, for rules between them and a command's other options.
    CLI::Option* textOption() const { return text_; }
    std::vector<CLI::Option*> options() const { return {text_, file_, stdin_}; }
    // What to use instead of the option's value on the command line.
    std::string advice() const;

    // After parsing: reads the password from wherever it was given. Returns a message naming
    // the option or variable (never the password) when it cannot be read or fails a check.
    std::string resolve(StandardInputLines& input);
    // Whether any place gave a password; its value once resolved.
    bool given() const { return value_.has_value(); }
    const std::string& value() const;

  private:
    PasswordNames names_;
    CLI::Validator conversion_;
    std::vector<CLI::Validator> checks_;
    CLI::Option* text_ = nullptr;
    CLI::Option* file_ = nullptr;
    CLI::Option* stdin_ = nullptr;
    std::string textValue_;
    std::string filePath_;
    bool stdinFlag_ = false;
    std::optional<std::string> value_;
};

// The first line of a file that only its owner may read, without its line end. Nothing, with
// the reason in `error`, when it cannot be read or group or others may read it.
std::optional<std::string> readPrivateFirstLine(const std::string& path, std::string* error);

}  // namespace pelmora
