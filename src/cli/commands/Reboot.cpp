// "reboot": the Network page's Reboot, with the page's own request bytes.
#include <memory>
#include <string>

#include "cli/CommandLine.h"
#include "cli/MacArgument.h"
#include "cli/OnvifSetting.h"
#include "cli/SettingCommand.h"
#include "onvif/ProbeTargets.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {

void addRebootCommand(CommandLine& line) {
    auto mac = std::make_shared<std::string>();
    auto* command = line.app().add_subcommand(
        "reboot",
        "Reboot one camera, as the Network page's Reboot does: no check and no question first. "
        "Prints the camera's answer (\"Setting OK\", \"Setting NG\" or its own message) or "
        "\"No Response\" after about 10 s (\"Not Sent\" at once when the request could not be "
        "sent); exits 0 only when the camera accepted. A rebooting camera answers nothing until "
        "it is back.");
    addMacArgument(command, *mac);
    line.addCredentialOptions(command, kMinCredentialLength, mac.get());
    line.addTargetOption(command);
    line.addDryRunOption(command);
    auto onvif = std::make_shared<OnvifCommandOptions>();
    addOnvifCommandOptions(command, *onvif,
                           "The camera is an ONVIF camera (of any maker): found by a WS-Discovery "
                           "probe and read with --user and the password, confirmed by its MAC "
                           "at its device service, then sent SystemReboot");
    command->callback([&line, mac, onvif] {
        line.setAction([&line, mac, onvif] {
            if (onvif->onvif) {
                return runOnvifSetting(
                    onvifSettingOptions(*onvif, line), *MacAddress::parse(*mac),
                    [](const onvif::OnvifCamera&, const std::vector<onvif::OnvifCamera>&,
                       std::string*) { return std::optional(std::vector{onvif::rebootRequest()}); },
                    stdout);
            }
            const auto request = buildRebootRequest(*mac, line.user(), line.password());
            return runSettingCommand(
                {line.target(), *mac, request, line.dryRun(), {line.user(), {}}}, stdout);
        });
    });
}

}  // namespace pelmora
