// "set-time" on the command line.
#include <algorithm>

#include "cli/CommandLine.h"
#include "cli/DateTimeArguments.h"
#include "cli/DateTimeCommand.h"
#include "cli/MacArgument.h"
#include "cli/StandardStreams.h"
#include "model/CameraTable.h"

namespace pelmora {
namespace {

// The same camera named twice (in any of the forms read) gets one request and one line.
std::vector<std::string> distinct(const std::vector<std::string>& macs) {
    std::vector<std::string> out;
    for (const auto& mac : macs) {
        if (std::find(out.begin(), out.end(), mac) == out.end()) {
            out.push_back(mac);
        }
    }
    return out;
}

// The other setting commands' credentials, given to set-time by habit: refused in words, where
// otherwise a value would be read as one more MAC. Not listed in the help.
void refuseCredentials(CLI::App* command) {
    const std::string password =
        "set-time takes no password: the cameras' clocks are set without one";
    const std::string user =
        "set-time takes no --user: the cameras' clocks are set without an administrator name";
    const auto refuse = [](const std::string& message) {
        return [message](const CLI::results_t&) -> bool { throw CLI::ValidationError(message); };
    };
    command->add_option("--user", refuse(user))->group("");
    command->add_option("--password", refuse(password))->group("");
    command->add_option("--password-file", refuse(password))->group("");
    command
        ->add_flag_callback("--password-stdin",
                            [password] { throw CLI::ValidationError(password); })
        ->group("");
}

}  // namespace

void addSetTimeCommand(CommandLine& line) {
    struct Values {
        std::vector<std::string> macs;
        std::string format;
        std::string zone;
        bool pc = false;
        std::string at;
    };
    auto values = std::make_shared<Values>();
    auto* command = line.app().add_subcommand(
        "set-time",
        "Set the clock, time zone and date format of one or more cameras. Prints one line per "
        "camera: its MAC and \"OK\", \"NG\", \"No Response\" (after about 10 s) or \"Not "
        "Sent\" (at once, when its request could not be sent); exits 0 only when every camera "
        "accepted. A missing or invalid format, zone or date prints the window's message (for "
        "example \"Time Zone Setting Error\"), sends nothing and exits 1.");
    command
        ->add_option("MAC", values->macs,
                     "The cameras' MAC addresses as discover prints them, 02:50:4D:00:00:01 "
                     "(lower case and \"-\" separators are read too); at most 1024 cameras")
        ->required()
        ->transform(macArgument());
    command->add_option("--format", values->format,
                        "Date format shown by the cameras: ymd, mdy or dmy");
    command->add_option("--zone", values->zone, "Time zone in whole hours from GMT, -12 to 13");
    auto* source = command->add_option_group("date and time", "What to set the clocks to");
    source->add_flag("--pc", values->pc, "This computer's local date and time, read once");
    source->add_option("--at", values->at,
                       "A date and time from 2001 to 2037, \"YYYY-MM-DD hh:mm:ss\"");
    source->require_option(1);
    line.addTargetOption(command);
    line.addDryRunOption(command);
    refuseCredentials(command);
    command->callback([&line, values] {
        values->macs = distinct(values->macs);
        // Each request waits in a pending slot of its own until answered.
        if (values->macs.size() > static_cast<std::size_t>(kTableSize)) {
            throw CLI::ValidationError(
                "MAC", "at most " + std::to_string(kTableSize) + " different cameras at once");
        }
        line.setAction([&line, values] {
            const int format = dateFormatIndex(values->format);
            const int zone = timeZoneIndex(values->zone);
            const auto check =
                values->pc ? readPcDateTime(format, zone)
                           : checkManualDateTime(dateTimeSelections(format, zone, values->at));
            if (!check.values) {
                writeOutput(stdout, std::string(check.message) + "\n");
                return 1;
            }
            return runDateTimeCommand(
                {line.target(), values->macs, *check.values,
                 values->pc ? DateTimeButton::PcClock : DateTimeButton::Manual, line.dryRun()},
                stdout);
        });
    });
}

}  // namespace pelmora
