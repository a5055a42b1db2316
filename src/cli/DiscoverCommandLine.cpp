// "discover" on the command line.
#include "cli/CommandLine.h"
#include "cli/DiscoverCommand.h"

namespace pelmora {

void addDiscoverCommand(CommandLine& line) {
    struct Values {
        double waitSeconds = 3.0;
        bool json = false;
    };
    auto values = std::make_shared<Values>();
    auto* command = line.app().add_subcommand(
        "discover",
        "Broadcast the discovery enquiry (at once and every 5 s), collect the replies for the "
        "given time, then print the cameras found, in table order.");
    command->add_option("--wait", values->waitSeconds, "Seconds to listen (default 3)")
        ->check(CLI::Range(0.1, 3600.0));
    command->add_flag("--json", values->json, "Print one JSON array, one object per camera");
    line.addTargetOption(command);
    command->callback([&line, values] {
        line.setAction([&line, values] {
            DiscoverOptions options;
            options.target = line.target();
            options.json = values->json;
            options.wait = std::chrono::milliseconds(static_cast<long>(values->waitSeconds * 1000));
            return runDiscover(options, stdout);
        });
    });
}

}  // namespace pelmora
