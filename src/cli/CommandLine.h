#pragma once
// The command-line tool's commands, each registered from its own file under commands/ (its
// options and its run) onto one CLI11 app. A command stores the action to run once the whole
// line has parsed.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/PasswordOption.h"
#include "engine/SendTarget.h"
#include "settings/PageRules.h"

namespace pelmora {

class CommandLine {
  public:
    explicit CommandLine(CLI::App& app) : app_(app) {}

    CLI::App& app() { return app_; }

    // Adds --target to a command; the parsed value is `target()`.
    void addTargetOption(CLI::App* command);
    // Adds --user and the administrator password (--password, --password-file,
    // --password-stdin or PELMORA_PASSWORD; one is required) to a command: converted to 8-bit
    // text, `minimum` to 16 characters, no framing bytes. With `keyringMac` (the command's
    // parsed MAC), --password-keyring too: both taken from what the window kept for that camera.
    void addCredentialOptions(CLI::App* command, std::size_t minimum = kMinCredentialLength,
                              const std::string* keyringMac = nullptr);
    // Adds another password of a command (PasswordOption), read after the administrator's.
    std::shared_ptr<PasswordOption> addPasswordOption(CLI::App* command, PasswordNames names,
                                                      const std::string& help,
                                                      CLI::Validator conversion,
                                                      std::vector<CLI::Validator> checks);
    // An option whose value is a password, besides those of PasswordOption: given, it earns the
    // warning that others can read it, with `advice` on what to do instead.
    void addVisiblePasswordOption(CLI::Option* option, std::string advice) {
        visiblePasswords_.emplace_back(option, std::move(advice));
    }
    // Adds --dry-run to a setting command; the parsed value is `dryRun()`.
    void addDryRunOption(CLI::App* command);
    // The action of the command that parsed.
    void setAction(std::function<int()> action) { action_ = std::move(action); }

    // After parsing: warns once on standard error when a password was given on the command
    // line, reads the passwords, resolves --target (exit code 2 on a bad value or an unreadable
    // or missing password) and runs the action.
    int run();

    SendTarget target() const { return target_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    bool dryRun() const { return dryRun_; }

  private:
    void warnAboutVisiblePasswords() const;
    // Exit code 2, with the reason on standard error, when a password cannot be read.
    int readPasswords();
    // --password-keyring given to the command that parsed: 0 when it was not, or the name and
    // password were taken; 2 with the reason on standard error otherwise.
    int readKeyring(bool* used);

    CLI::App& app_;
    std::string targetText_;
    std::vector<CLI::Option*> targetOptions_;
    SendTarget target_ = SendTarget::broadcast();
    std::string user_;
    std::string password_;
    // Per command: the administrator password, then the command's other passwords.
    std::vector<std::pair<CLI::App*, std::shared_ptr<PasswordOption>>> adminPasswords_;
    std::vector<std::pair<CLI::App*, std::shared_ptr<PasswordOption>>> otherPasswords_;
    std::vector<std::pair<CLI::Option*, std::string>> visiblePasswords_;
    // Per command offering --password-keyring: the flag, --user, the MAC and the checks.
    struct KeyringOption {
        CLI::App* command;
        CLI::Option* flag;
        CLI::Option* user;
        const std::string* mac;
        std::vector<CLI::Validator> checks;
    };
    std::vector<KeyringOption> keyringOptions_;
    bool keyringGiven_ = false;
    bool dryRun_ = false;
    std::function<int()> action_;
};

// Text that goes into a datagram field: the framing bytes cannot be part of it.
CLI::Validator fieldTextValidator();

// What to say of arguments no command takes, never repeating a value: a mistyped option's value
// may be a password. "Unknown option: --pasword" names each unknown option (without any
// "=VALUE" part, a short one by its letter); a value that belongs to no option is only counted,
// "1 unexpected argument", and only when no unknown option could have taken it.
std::string unexpectedArgumentsMessage(const std::vector<std::string>& arguments);

void addDiscoverCommand(CommandLine& line);
void addSetBandwidthCommand(CommandLine& line);
void addSetNetworkCommand(CommandLine& line);
void addSetPppoeCommand(CommandLine& line);
void addRebootCommand(CommandLine& line);
void addSetTimeCommand(CommandLine& line);
// "plan" and "apply-plan", registered after set-network.
void addPlanCommand(CommandLine& line);
void addApplyPlanCommand(CommandLine& line);
// "history": the change log read back; "diff": two lists of cameras compared.
void addHistoryCommand(CommandLine& line);
void addDiffCommand(CommandLine& line);

}  // namespace pelmora
