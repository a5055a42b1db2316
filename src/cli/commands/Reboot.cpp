// "reboot": the Network page's Reboot, with the page's own request bytes.
#include <memory>
#include <string>

#include "cli/CommandLine.h"
#include "cli/MacArgument.h"
#include "cli/SettingCommand.h"
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
    line.addCredentialOptions(command);
    line.addTargetOption(command);
    line.addDryRunOption(command);
    command->callback([&line, mac] {
        line.setAction([&line, mac] {
            const auto request = buildRebootRequest(*mac, line.user(), line.password());
            return runSettingCommand(
                {line.target(), *mac, request, line.dryRun(), {line.user(), {}}}, stdout);
        });
    });
}

}  // namespace pelmora
