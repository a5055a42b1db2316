// "set-bandwidth": one camera's bandwidth limit, as the Bandwidth page sets it.
#include <cstddef>
#include <memory>
#include <string>

#include "cli/CommandLine.h"
#include "cli/LocaleText.h"
#include "cli/MacArgument.h"
#include "cli/SettingCommand.h"
#include "settings/bandwidth/BandwidthForm.h"

namespace pelmora {
namespace {

// The longest text a camera's bandwidth list holds; a longer value is in no camera's list.
constexpr std::size_t kMaxBandText = sizeof(CameraRecord::bandElements[0]) - 1;

CLI::Validator bandTextValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            return !text.empty() && text.size() <= kMaxBandText
                       ? std::string{}
                       : "must be 1 to " + std::to_string(kMaxBandText) + " characters";
        },
        "");
}

}  // namespace

void addSetBandwidthCommand(CommandLine& line) {
    struct Values {
        std::string mac;
        std::string band;
    };
    auto values = std::make_shared<Values>();
    auto* command = line.app().add_subcommand(
        "set-bandwidth",
        "Set one camera's bandwidth limit. Prints the camera's answer (\"Setting OK\", "
        "\"Setting NG\" or its own message) or \"No Response\" after about 10 s (\"Not Sent\" at "
        "once when the request could not be sent); exits 0 only when the camera accepted.");
    addMacArgument(command, values->mac);
    command
        ->add_option("VALUE", values->band,
                     "The limit as the camera lists it (discover --json, \"bandElements\"), "
                     "for example 2.0, or \"unlimited\"; at most " +
                         std::to_string(kMaxBandText) + " characters")
        ->required()
        ->transform(latin1Argument())
        ->check(bandTextValidator())
        ->check(fieldTextValidator());
    line.addCredentialOptions(command, kMinCredentialLength, &values->mac);
    line.addTargetOption(command);
    line.addDryRunOption(command);
    command->callback([&line, values] {
        line.setAction([&line, values] {
            const auto request =
                buildBandwidthRequest(values->mac, line.user(), line.password(), values->band);
            return runSettingCommand(
                {line.target(), values->mac, request, line.dryRun(), {line.user(), {}}}, stdout);
        });
    });
}

}  // namespace pelmora
