// "set-time": the clock, time zone and date format of several cameras at once, as the Date time
// page's OK buttons set them: one request per camera, then one line per camera with its answer.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/DateTimeArguments.h"
#include "cli/HeadlessSession.h"
#include "cli/MacArgument.h"
#include "cli/RequestWords.h"
#include "cli/StandardStreams.h"
#include "listing/CameraListing.h"
#include "model/CameraTable.h"
#include "settings/datetime/DateTimeRequest.h"

namespace pelmora {
namespace {

// The table prompts "No Response" on the tenth ageing tick after the send; this bound only
// keeps the command from waiting for ever if that tick never comes.
constexpr std::chrono::seconds kLongestWait{15};

struct DateTimeCommand {
    SendTarget target = SendTarget::broadcast();
    std::vector<std::string> macs;  // distinct, in the order given
    DateTimeValues values;
    DateTimeButton button = DateTimeButton::Manual;
    bool dryRun = false;  // print each request in words instead, one line per camera
};

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

enum class Answer { Waiting, Accepted, Refused, NoResponse, NotSent };

const char* wordsFor(Answer answer) {
    switch (answer) {
        case Answer::Accepted:
            return "OK";
        case Answer::Refused:
            return "NG";
        case Answer::NotSent:
            return "Not Sent";
        default:
            return "No Response";
    }
}

// Reads each waiting request's slot under the table's lock. An answer is settled into the
// slot as −1 or −2, which is collected and the slot freed, as the page does. A slot back at 0
// without an answer is one the ageing tick has prompted "No Response" for (and the session
// cancelled). Returns true when no request is waiting any more.
bool collectAnswers(CameraTable& table, const std::vector<int>& slots,
                    std::vector<Answer>& answers) {
    return table.modify([&](TableData& data) {
        bool waiting = false;
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (answers[i] != Answer::Waiting) {
                continue;
            }
            // An untracked request can only time out.
            if (slots[i] < 0) {
                waiting = true;
                continue;
            }
            auto& slot = data.pending[slots[i]];
            switch (slot.state) {
                case PendingRequest::kDateTimeAccepted:
                    answers[i] = Answer::Accepted;
                    slot.state = PendingRequest::kFree;
                    break;
                case PendingRequest::kDateTimeRefused:
                    answers[i] = Answer::Refused;
                    slot.state = PendingRequest::kFree;
                    break;
                case PendingRequest::kFree:
                    answers[i] = Answer::NoResponse;
                    break;
                default:
                    waiting = true;
            }
        }
        return !waiting;
    });
}

// Sends, waits until every camera has answered or the table has prompted "No Response" for
// it, and prints "MAC OK", "MAC NG" or "MAC No Response" per camera in the order given
// ("MAC Not Sent", without waiting, for a request that could not be sent).
// Returns the process exit code: 0 when every camera accepted, 1 otherwise, or the code of a
// fatal socket error. A dry run sends nothing and returns 0.
int runDateTimeCommand(const DateTimeCommand& command, std::FILE* out) {
    if (command.dryRun) {
        for (const auto& mac : command.macs) {
            writeOutput(out, dryRunLine(mac, buildDateTimeRequest(mac, command.values), {}));
        }
        return 0;
    }
    HeadlessSession session(command.target);
    if (const auto code = session.start()) {
        return *code;
    }
    auto& engine = session.engine();
    // One send per camera, in order, so the results line up with the MACs.
    std::vector<bool> sent;
    const auto slots = sendDateTimeRequests(
        session.table(),
        [&engine, &sent](std::string_view text) {
            const int result = engine.sendDatagram(text);
            sent.push_back(result == 0);
            return result;
        },
        command.macs, command.values, command.button);
    std::vector<Answer> answers(command.macs.size(), Answer::Waiting);
    // A request that never left is not waited for; its slot is freed at once.
    session.table().modify([&](TableData& data) {
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (!sent[i]) {
                answers[i] = Answer::NotSent;
                if (slots[i] >= 0) {
                    data.pending[slots[i]].state = PendingRequest::kFree;
                }
            }
        }
    });
    // Date and time answers are settled without a notification, so they are looked for after
    // every tick, once a second, as the page's grid does.
    session.runFor(kLongestWait, [&] { return collectAnswers(session.table(), slots, answers); });
    if (const auto code = session.stop()) {
        return *code;
    }
    bool allAccepted = true;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        writeOutput(out, printableText(command.macs[i]) + " " + wordsFor(answers[i]) + "\n");
        allAccepted = allAccepted && answers[i] == Answer::Accepted;
    }
    return allAccepted ? 0 : 1;
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
    addMacArguments(command, values->macs,
                    "The cameras' MAC addresses as discover prints them, 02:50:4D:00:00:01 "
                    "(lower case and \"-\" separators are read too); at most 1024 cameras");
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
