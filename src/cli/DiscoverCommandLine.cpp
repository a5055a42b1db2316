// "discover" on the command line.
#include <memory>
#include <string>

#include "cli/CommandLine.h"
#include "cli/DiscoverCommand.h"
#include "cli/NumberOption.h"

namespace pelmora {
namespace {

constexpr double kShortestWait = 0.1;
constexpr double kLongestWait = 3600.0;

}  // namespace

void addDiscoverCommand(CommandLine& line) {
    struct Values {
        double waitSeconds = 3.0;
        bool json = false;
        bool csv = false;
        bool problems = false;
    };
    auto values = std::make_shared<Values>();
    auto* command = line.app().add_subcommand(
        "discover",
        "Broadcast the discovery enquiry (at once and every 5 s), collect the replies for the "
        "given time, then print the cameras found, in table order, each with what is wrong with "
        "its addressing as seen from this PC (the table's Notes; in JSON \"interface\", "
        "\"interfaceAddress\", \"reachability\" and \"problems\"). When not one enquiry "
        "could be sent (no route), prints nothing and exits 1.");
    command->add_option("--wait", values->waitSeconds, "Seconds to listen, 0.1 to 3600 (default 3)")
        ->check(numberValidator(kShortestWait, kLongestWait, "must be from 0.1 to 3600 seconds",
                                "SECONDS"));
    auto* json =
        command->add_flag("--json", values->json, "Print one JSON array, one object per camera");
    command
        ->add_flag("--csv", values->csv,
                   "Print CSV (RFC 4180, UTF-8): a header of the JSON keys, one line per "
                   "camera; a list is one field joined by \";\", null an empty field, and text "
                   "beginning with =, +, -, @, a tab or a carriage return gets a leading \"'\"")
        ->excludes(json);
    command->add_flag("--problems", values->problems,
                      "List only the cameras with an addressing problem (another subnet, a "
                      "shared or unusable address, a bad mask or gateway); exit 1 when there is "
                      "one, 0 when there is none");
    line.addTargetOption(command);
    command->callback([&line, values] {
        line.setAction([&line, values] {
            DiscoverOptions options;
            options.target = line.target();
            options.json = values->json;
            options.csv = values->csv;
            options.problemsOnly = values->problems;
            options.wait = std::chrono::milliseconds(static_cast<long>(values->waitSeconds * 1000));
            return runDiscover(options, stdout);
        });
    });
}

}  // namespace pelmora
