#include "cli/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/LocaleText.h"
#include "pages/PageRules.h"

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

void CommandLine::addTargetOption(CLI::App* command) {
    targetOptions_.push_back(
        command->add_option("--target", targetText_,
                            "Send to HOST[:PORT] (an IPv4 address or a name) instead of "
                            "broadcasting to 255.255.255.255:2380"));
}

void CommandLine::addCredentialOptions(CLI::App* command, std::size_t minimum) {
    const auto maximum = static_cast<std::size_t>(kMaxCredentialLength);
    const std::string message =
        "must be " + std::to_string(minimum) + " to " + std::to_string(maximum) + " characters";
    const auto length = CLI::Validator(
        [minimum, maximum, message](const std::string& text) {
            return text.size() >= minimum && text.size() <= maximum ? std::string{} : message;
        },
        std::to_string(minimum) + "-" + std::to_string(maximum) + " CHARS");
    command->add_option("--user", user_, "Administrator name of the camera")
        ->required()
        ->transform(latin1Argument())
        ->check(length)
        ->check(fieldTextValidator());
    command->add_option("--password", password_, "Administrator password")
        ->required()
        ->transform(latin1Argument())
        ->check(length)
        ->check(fieldTextValidator());
}

void CommandLine::addDryRunOption(CLI::App* command) {
    command->add_flag("--dry-run", dryRun_,
                      "Run the checks, then print the request in words (\"Would send to MAC: "
                      "...\"; passwords never shown) instead of sending it; exits 0");
}

int CommandLine::run() {
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
