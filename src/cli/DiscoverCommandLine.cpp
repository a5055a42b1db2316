// "discover" on the command line.
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <system_error>

#include "cli/CommandLine.h"
#include "cli/DiscoverCommand.h"

namespace pelmora {
namespace {

constexpr double kShortestWait = 0.1;
constexpr double kLongestWait = 3600.0;

// A decimal number of seconds, read whole. "nan" and "inf" are no number of seconds: a
// comparison with them is always false, so a range check alone would let them through.
CLI::Validator waitValidator() {
    return CLI::Validator(
        [](const std::string& text) {
            double seconds = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
            const bool whole = end == text.data() + text.size();
            if (!whole || (ec != std::errc{} && ec != std::errc::result_out_of_range) ||
                !std::isfinite(seconds)) {
                return "not a number: '" + text + "'";
            }
            if (ec != std::errc{} || seconds < kShortestWait || seconds > kLongestWait) {
                return std::string("must be from 0.1 to 3600 seconds");
            }
            return std::string();
        },
        "SECONDS");
}

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
        ->check(waitValidator());
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
