#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "cli/LocaleText.h"
#ifdef PELMORA_KEYRING
#include "keyring/KeyringRead.h"
#endif
#include "listing/CameraListing.h"
#include "settings/PageRules.h"

namespace pelmora {

CLI::Validator fieldTextValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            for (const char c : text) {
                if (c == '\0' || c == '\x02' || c == '\x03' || c == '\xFF') {
                    return std::string("must not contain control bytes 0x00, 0x02, 0x03 or 0xFF");
                }
            }
            return std::string();
        },
        "");
}

std::string unexpectedArgumentsMessage(const std::vector<std::string>& arguments) {
    std::vector<std::string> options;
    std::size_t values = 0;
    for (const auto& argument : arguments) {
        // "--" ends the options; "-5" is a value.
        const bool option = argument.size() > 1 && argument[0] == '-' && argument != "--" &&
                            !std::isdigit(static_cast<unsigned char>(argument[1]));
        if (!option) {
            values += argument == "--" ? 0 : 1;
            continue;
        }
        // "--name=value" and "-xvalue" carry a value of their own.
        const auto name =
            argument[1] == '-' ? argument.substr(0, argument.find('=')) : argument.substr(0, 2);
        if (std::find(options.begin(), options.end(), name) == options.end()) {
            options.push_back(name);
        }
    }
    if (!options.empty()) {
        std::string out = options.size() == 1 ? "Unknown option: " : "Unknown options: ";
        for (std::size_t i = 0; i < options.size(); ++i) {
            out += (i == 0 ? "" : ", ") + printableText(options[i]);
        }
        return out;
    }
    return std::to_string(values) +
           (values == 1 ? " unexpected argument" : " unexpected arguments");
}

void CommandLine::addTargetOption(CLI::App* command) {
    targetOptions_.push_back(
        command->add_option("--target", targetText_,
                            "Send to HOST[:PORT] (an IPv4 address or a name) instead of "
                            "broadcasting to 255.255.255.255:2380"));
}

void CommandLine::addCredentialOptions(CLI::App* command, std::size_t minimum,
                                       const std::string* keyringMac) {
    const auto maximum = static_cast<std::size_t>(kMaxCredentialLength);
    const std::string message =
        "must be " + std::to_string(minimum) + " to " + std::to_string(maximum) + " characters";
    const auto length = CLI::Validator(
        [minimum, maximum, message](const std::string& text) {
            return text.size() >= minimum && text.size() <= maximum ? std::string{} : message;
        },
        std::to_string(minimum) + "-" + std::to_string(maximum) + " CHARS");
    auto* user = command
                     ->add_option("--user", user_,
                                  keyringMac != nullptr
                                      ? "Administrator name of the camera (required unless "
                                        "--password-keyring)"
                                      : "Administrator name of the camera")
                     ->transform(latin1Argument())
                     ->check(length)
                     ->check(fieldTextValidator());
    auto password = std::make_shared<PasswordOption>(
        command, PasswordNames{"--password", "PELMORA_PASSWORD", "Administrator password"},
        keyringMac != nullptr
            ? "Administrator password (required unless --password-keyring: this, one of the "
              "next two or PELMORA_PASSWORD)"
            : "Administrator password (required: this, one of the next two or PELMORA_PASSWORD)",
        latin1Argument(), std::vector<CLI::Validator>{length, fieldTextValidator()});
    addVisiblePasswordOption(password->textOption(), password->advice());
    if (keyringMac == nullptr) {
        user->required();
    } else {
        CLI::Option* flag = command->add_flag(
            "--password-keyring", keyringGiven_,
            std::string("Take the administrator name and password kept for the camera's MAC in "
                        "the desktop's Secret Service (the window's \"Remember on this PC\") "
                        "instead of --user and a password; exits 2 when none is kept or no "
                        "Secret Service is reachable"));
        flag->excludes(user);
        for (auto* option : password->options()) {
            flag->excludes(option);
        }
        keyringOptions_.push_back(
            {command, flag, user, keyringMac, {latin1Argument(), length, fieldTextValidator()}});
    }
    adminPasswords_.emplace_back(command, std::move(password));
}

std::shared_ptr<PasswordOption> CommandLine::addPasswordOption(CLI::App* command,
                                                               PasswordNames names,
                                                               const std::string& help,
                                                               CLI::Validator conversion,
                                                               std::vector<CLI::Validator> checks) {
    auto password = std::make_shared<PasswordOption>(command, std::move(names), help,
                                                     std::move(conversion), std::move(checks));
    addVisiblePasswordOption(password->textOption(), password->advice());
    otherPasswords_.emplace_back(command, password);
    return password;
}

void CommandLine::warnAboutVisiblePasswords() const {
    std::string given;
    std::string advice;
    for (const auto& [option, instead] : visiblePasswords_) {
        if (option->count() > 0) {
            given += (given.empty() ? "" : ", ") + option->get_name();
            advice += (advice.empty() ? "" : "; ") + instead;
        }
    }
    // One line, however many were given.
    if (!given.empty()) {
        std::fprintf(stderr,
                     "Warning: other users of this machine can read a password given on the "
                     "command line (%s): %s\n",
                     given.c_str(), advice.c_str());
    }
}

int CommandLine::readKeyring(bool* used) {
    *used = false;
    for (const auto& keyring : keyringOptions_) {
        if (!keyring.command->parsed()) {
            continue;
        }
        if (keyring.flag->count() == 0) {
            // --user is required without the keyring, as CLI11 would say it.
            if (keyring.user->count() == 0) {
                std::fprintf(stderr, "--user is required\nRun with --help for more information.\n");
                return 2;
            }
            continue;
        }
        *used = true;
#ifdef PELMORA_KEYRING
        const auto read = readKeptCredentials(*keyring.mac, std::chrono::seconds(25));
        if (!read.credentials) {
            std::fprintf(stderr, "--password-keyring: %s\n", read.reason.c_str());
            return 2;
        }
        // The kept pair passes the checks a typed one would.
        std::string name = read.credentials->name;
        std::string password = read.credentials->password;
        for (const auto& check : keyring.checks) {
            for (auto* value : {&name, &password}) {
                if (const auto error = check(*value); !error.empty()) {
                    std::fprintf(stderr, "--password-keyring: the kept %s %s\n",
                                 value == &name ? "name" : "password", error.c_str());
                    return 2;
                }
            }
        }
        user_ = std::move(name);
        password_ = std::move(password);
#else
        std::fprintf(stderr, "--password-keyring: this build keeps no credentials\n");
        return 2;
#endif
    }
    return 0;
}

int CommandLine::readPasswords() {
    bool keyring = false;
    if (const int code = readKeyring(&keyring)) {
        return code;
    }
    StandardInputLines input;
    // The administrator password first: it takes the first line of standard input.
    for (const auto* passwords : {&adminPasswords_, &otherPasswords_}) {
        for (const auto& [command, password] : *passwords) {
            if (!command->parsed()) {
                continue;
            }
            if (const auto error = password->resolve(input); !error.empty()) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return 2;
            }
            if (passwords == &adminPasswords_ && !keyring) {
                if (!password->given()) {
                    std::fprintf(stderr,
                                 "--password is required: give it with --password-file FILE, "
                                 "--password-stdin, PELMORA_PASSWORD or --password\n");
                    return 2;
                }
                password_ = password->value();
            }
        }
    }
    return 0;
}

void CommandLine::addDryRunOption(CLI::App* command) {
    command->add_flag("--dry-run", dryRun_,
                      "Run the checks, then print the request in words (\"Would send to MAC: "
                      "...\"; passwords never shown) instead of sending it; exits 0");
}

int CommandLine::run() {
    warnAboutVisiblePasswords();
    if (const int code = readPasswords()) {
        return code;
    }
    // Given but empty is no target at all: it must not fall back to broadcasting.
    const bool targetGiven = std::any_of(targetOptions_.begin(), targetOptions_.end(),
                                         [](const CLI::Option* o) { return o->count() > 0; });
    if (targetGiven) {
        std::string error;
        const auto parsed = parseTarget(targetText_, &error);
        if (!parsed) {
            std::fprintf(stderr, "--target: %s\n", error.c_str());
            return 2;
        }
        target_ = *parsed;
    }
    return action_ ? action_() : 2;
}

}  // namespace pelmora
