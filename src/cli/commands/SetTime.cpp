// "set-time": the clock, time zone and date format of several cameras at once, as the Date time
// page's OK buttons set them: one request per camera, then one line per camera with its answer.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/DateTimeArguments.h"
#include "cli/HeadlessSession.h"
#include "cli/MacArgument.h"
#include "cli/OnvifSetting.h"
#include "cli/PasswordOption.h"
#include "cli/RequestWords.h"
#include "cli/StandardStreams.h"
#include "listing/CameraListing.h"
#include "model/CameraTable.h"
#include "onvif/ProbeTargets.h"
#include "onvif/UsernameToken.h"
#include "settings/datetime/DateTimeRequest.h"
#include "settings/onvif/OnvifClockRules.h"

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

// Our cameras' clocks are set without credentials; given by habit, they are refused in words,
// where otherwise a value would be read as one more MAC. ONVIF cameras need them.
const char* const kNoPassword =
    "set-time takes no password: the cameras' clocks are set without one";
const char* const kNoUser =
    "set-time takes no --user: the cameras' clocks are set without an administrator name";

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

// set-time --onvif: one search, then each camera's clock set in UTC with its zone as a POSIX TZ
// string, one line per camera as for our own.
int setOnvifClocks(const std::vector<std::string>& macs, OnvifSettingOptions options, bool pc,
                   const std::string& at, const std::string& zoneText, int format) {
    const int zone = timeZoneIndex(zoneText);
    std::optional<std::chrono::sys_seconds> fixed;
    std::string posixZone;
    if (pc) {
        if (!zoneText.empty()) {
            if (const auto check = readPcDateTime(0, zone); !check.values) {
                writeOutput(stdout, std::string(check.message) + "\n");
                return 1;
            }
            posixZone = posixZoneOfHours(std::atoi(zoneText.c_str()));
        } else {
            posixZone = pcPosixZone(std::getenv("TZ"));
        }
    } else {
        const auto check =
            checkManualDateTime(dateTimeSelections(format >= 0 ? format : 0, zone, at));
        if (!check.values) {
            writeOutput(stdout, std::string(check.message) + "\n");
            return 1;
        }
        fixed = utcOfValues(*check.values);
        posixZone = posixZoneOfHours(std::atoi(check.values->zone.c_str()));
    }
    const auto cameras = findOnvifCameras(options);
    options.action = "datetime";
    int code = 0;
    for (const auto& mac : macs) {
        options.settings = {
            {"clockUtc", fixed ? onvif::formatCreated(*fixed) : std::string("this PC's clock")},
            {"posixZone", posixZone}};
        const auto build = [&](const onvif::OnvifCamera&, const std::vector<onvif::OnvifCamera>&,
                               std::string*) {
            // This PC's clock read as each request is built, close to when it leaves.
            const auto utc =
                fixed ? *fixed
                      : std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
            return std::optional(std::vector{onvif::clockRequest(utc, posixZone)});
        };
        code = std::max(code, settleOnvifCamera(options, cameras, *MacAddress::parse(mac), build,
                                                stdout, OnvifLineStyle::PerCamera));
    }
    return code;
}

}  // namespace

void addSetTimeCommand(CommandLine& line) {
    struct Values {
        std::vector<std::string> macs;
        std::string format;
        std::string zone;
        bool pc = false;
        std::string at;
        OnvifCommandOptions onvif;
        std::string user;
        std::shared_ptr<PasswordOption> password;
        CLI::Option* userOption = nullptr;
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
    addOnvifCommandOptions(
        command, values->onvif,
        "The cameras are ONVIF cameras (of any maker): found by a WS-Discovery probe, read with "
        "--user and its password, each confirmed by its MAC, then its clock set in UTC and its "
        "time zone as a POSIX TZ string (--zone's hours; with --pc and no --zone, this PC's own "
        "zone). --format is not sent: the standard has no date format");
    values->userOption = command->add_option(
        "--user", values->user,
        "ONVIF only: the user name, its password from --password-file, --password-stdin, "
        "PELMORA_PASSWORD or --password, both sent in UTF-8");
    values->password = std::make_shared<PasswordOption>(
        command, PasswordNames{"--password", "PELMORA_PASSWORD", "ONVIF password"},
        "ONVIF only: the password of --user",
        CLI::Validator([](std::string&) { return std::string{}; }, ""),
        std::vector<CLI::Validator>{});
    line.addVisiblePasswordOption(values->password->textOption(), values->password->advice());
    command->callback([&line, values] {
        if (!values->onvif.onvif) {
            if (values->userOption->count() > 0) {
                throw CLI::ValidationError(kNoUser);
            }
            for (const auto* option : values->password->options()) {
                if (option->count() > 0) {
                    throw CLI::ValidationError(kNoPassword);
                }
            }
        }
        values->macs = distinct(values->macs);
        // Each request waits in a pending slot of its own until answered.
        if (values->macs.size() > static_cast<std::size_t>(kTableSize)) {
            throw CLI::ValidationError(
                "MAC", "at most " + std::to_string(kTableSize) + " different cameras at once");
        }
        line.setAction([&line, values] {
            const int format = dateFormatIndex(values->format);
            if (values->onvif.onvif) {
                if (values->user.empty()) {
                    std::fprintf(stderr, "set-time --onvif needs --user and its password\n");
                    return 2;
                }
                StandardInputLines input;
                if (auto problem = values->password->resolve(input); !problem.empty()) {
                    std::fprintf(stderr, "%s\n", problem.c_str());
                    return 2;
                }
                if (!values->password->given()) {
                    std::fprintf(stderr,
                                 "--user needs a password: give it with --password-file FILE, "
                                 "--password-stdin, PELMORA_PASSWORD or --password\n");
                    return 2;
                }
                OnvifSettingOptions options;
                options.discovery.port = static_cast<std::uint16_t>(values->onvif.port);
                if (!values->onvif.probeList.empty()) {
                    std::string error;
                    options.discovery.directed =
                        onvif::parseProbeTargets(values->onvif.probeList, &error).value();
                }
                options.credentials = {values->user, values->password->value()};
                options.dryRun = line.dryRun();
                return setOnvifClocks(values->macs, options, values->pc, values->at, values->zone,
                                      format);
            }
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
