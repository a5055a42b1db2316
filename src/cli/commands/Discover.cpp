// "discover": run the engine for a while, then print the listed cameras.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CameraListFile.h"
#include "cli/CommandLine.h"
#include "cli/ExpectedCameras.h"
#include "cli/HeadlessSession.h"
#include "cli/NumberOption.h"
#include "cli/OnvifSearch.h"
#include "cli/OnvifSetting.h"
#include "cli/StandardStreams.h"
#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"
#include "listing/OnvifDiagnosis.h"
#include "listing/OnvifListing.h"
#include "onvif/ProbeTargets.h"

namespace pelmora {
namespace {

constexpr double kShortestWait = 0.1;
constexpr double kLongestWait = 3600.0;

struct DiscoverOptions {
    std::chrono::milliseconds wait{3000};
    bool json = false;
    bool csv = false;  // RFC 4180 with the JSON keys as the header
    // Only the cameras with an addressing problem; the exit code then says whether any has one.
    bool problemsOnly = false;
    SendTarget target = SendTarget::broadcast();
    // Set for --onvif: ONVIF cameras are found and read as well, and listed after ours.
    std::optional<OnvifSearchOptions> onvif;
    // --expect: the cameras a saved list says should answer.
    std::optional<CameraList> expected;
};

// Our cameras with their notes, and the ONVIF ones, in one listing's order.
std::string formatListing(const DiscoverOptions& options, const ListedCameras& cameras) {
    if (!options.onvif) {
        return options.json  ? formatCameraJson(cameras.records, cameras.notes)
               : options.csv ? formatCameraCsv(cameras.records, cameras.notes)
                             : formatCameraTable(cameras.records, cameras.notes);
    }
    return options.json  ? formatAllCamerasJson(cameras)
           : options.csv ? formatAllCamerasCsv(cameras)
                         : formatAllCamerasTable(cameras);
}

// Returns the process exit code: 0; with `problemsOnly`, 1 when a camera has a problem; 1 when
// no enquiry could be sent; 1 to 5 for a fatal socket error.
int runDiscover(const DiscoverOptions& options, std::FILE* out) {
    HeadlessSession session(options.target);
    if (const auto code = session.start()) {
        return *code;
    }
    std::optional<OnvifSearch> onvif;
    if (options.onvif) {
        onvif.emplace(*options.onvif, options.wait);
    }
    session.runFor(options.wait);
    if (const auto code = session.stop()) {
        return *code;
    }
    // Not one enquiry left the machine (no route): an empty list would claim there is no
    // camera.
    if (session.sendsSucceeded() == 0) {
        std::fprintf(stderr, "Error : no discovery enquiry could be sent to %s\n",
                     options.target.text().c_str());
        return 1;
    }
    // The records and their addressing from one read, so that they line up.
    ListedCameras cameras;
    std::vector<CameraAddressing> addressing;
    session.table().read([&](const TableData& d) {
        for (int i = 0; i < d.count; ++i) {
            if (isListed(d.records[i])) {
                cameras.records.push_back(d.records[i]);
                addressing.push_back(addressingOf(d.records[i], d.receivedOn[i]));
            }
        }
        return 0;
    });
    const auto& interfaces = session.engine().localInterfaces();
    if (onvif) {
        cameras.onvif = onvif->finish();
        auto notes = diagnoseAllCameras(addressing, cameras.onvif, interfaces);
        cameras.notes = std::move(notes.ours);
        cameras.onvifNotes = std::move(notes.onvif);
    } else {
        cameras.notes = cameraNotes(addressing, interfaces);
    }
    std::optional<ExpectedComparison> comparison;
    if (options.expected) {
        comparison = markExpected(cameras, *options.expected);
    }
    if (options.problemsOnly) {
        keepCamerasWithProblems(cameras.records, cameras.notes);
        keepOnvifCamerasWithProblems(cameras.onvif, cameras.onvifNotes);
    }
    auto listing = formatListing(options, cameras);
    if (comparison) {
        listing = withMissingCameras(listing, cameras, *comparison,
                                     options.json  ? ListingFormat::Json
                                     : options.csv ? ListingFormat::Csv
                                                   : ListingFormat::Table,
                                     options.onvif.has_value());
    }
    writeOutput(out, listing);
    // Said once, after the list: a full list is not all the cameras that answered.
    if (const auto dropped = session.table().overflow().dropped; dropped > 0) {
        std::fprintf(stderr,
                     "Warning: the camera table is full (%d); %llu %s from other cameras %s "
                     "dropped\n",
                     kTableSize, static_cast<unsigned long long>(dropped),
                     dropped == 1 ? "reply" : "replies", dropped == 1 ? "was" : "were");
    }
    const bool anyListed = !cameras.records.empty() || !cameras.onvif.empty();
    if (comparison && !comparison->allAsExpected()) {
        return 1;
    }
    return options.problemsOnly && anyListed ? 1 : 0;
}

// The ONVIF part of discover's options, or a usage error's words.
std::optional<OnvifSearchOptions> onvifOptions(const std::string& probeList, int port,
                                               const std::string& user, PasswordOption& password,
                                               std::string* error) {
    OnvifSearchOptions options;
    options.discovery.port = static_cast<std::uint16_t>(port);
    if (!probeList.empty()) {
        // Checked while parsing already.
        options.discovery.directed = onvif::parseProbeTargets(probeList, error).value();
    }
    if (user.empty()) {
        return options;
    }
    // Read only when it is to be used: with no --user, PELMORA_PASSWORD is some other
    // command's business.
    StandardInputLines input;
    if (auto problem = password.resolve(input); !problem.empty()) {
        *error = std::move(problem);
        return std::nullopt;
    }
    if (!password.given()) {
        *error =
            "--user needs a password: give it with --password-file FILE, --password-stdin, "
            "PELMORA_PASSWORD or --password";
        return std::nullopt;
    }
    options.credentials = onvif::HttpDigest{user, password.value()};
    return options;
}

}  // namespace

void addDiscoverCommand(CommandLine& line) {
    struct Values {
        double waitSeconds = 3.0;
        bool json = false;
        bool csv = false;
        bool problems = false;
        bool onvif = false;
        std::string probeList;
        int onvifPort = onvif::kDiscoveryPort;
        std::string expect;
        std::string user;
        std::shared_ptr<PasswordOption> password;
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
                      "shared or unusable address, a bad mask or gateway; with --onvif also an "
                      "ONVIF camera's clock more than 5 minutes off); exit 1 when there is one, 0 "
                      "when there is none");
    line.addTargetOption(command);
    command
        ->add_option("--expect", values->expect,
                     "Compare with the cameras expected here: a list saved earlier by discover "
                     "--json or --csv (or the window's export). A camera of the list that does "
                     "not answer is listed after the others with \"missing\" in \"problems\" "
                     "(the table's Notes: \"missing: last seen at ADDRESS\"); one that answers "
                     "but is not on the list gets \"new\", one whose address or model changed "
                     "\"changed\" (\"changed: address was ADDRESS\"). MACs match in any case. "
                     "Exits 1 when any camera is missing, new or changed, 0 otherwise; 2 when the "
                     "list cannot be read")
        ->type_name("FILE");
    command->add_flag(
        "--onvif", values->onvif,
        "Also find ONVIF cameras of any maker: a WS-Discovery probe multicast on every "
        "interface that has multicast, their Hello and Bye heard on UDP port 3702 when no other "
        "program holds it, for --wait seconds and at least 2 s after the last probe; then read "
        "each one's device service (its clock without credentials; with --user, its "
        "identity, MAC and addressing). They are listed after the cameras above: in JSON "
        "with \"protocol\": \"onvif\", the keys above where they mean the same (null where the "
        "camera did not say), \"manufacturer\", \"hardwareId\", \"name\", \"location\", "
        "\"serviceAddress\", \"clockOffset\" (seconds, the camera's clock minus this PC's) and "
        "\"access\" (\"read\", \"credentials needed\", \"credentials refused\" or "
        "\"unreachable\"); in CSV under one header, \"protocol\" first and their own keys last");
    command
        ->add_option("--onvif-probe", values->probeList,
                     "Also probe these IPv4 addresses and CIDR ranges for ONVIF cameras, one "
                     "unicast probe each (cameras on routed subnets, which multicast does not "
                     "reach): comma-separated, e.g. 10.2.0.0/24,10.3.0.7; a range's network and "
                     "broadcast addresses are left out; at most 4096 addresses, sent at 200 a "
                     "second. Implies --onvif")
        ->type_name("LIST")
        ->check(probeListValidator());
    command
        ->add_option("--onvif-port", values->onvifPort,
                     "UDP port the ONVIF probes go to and Hello and Bye are heard on (default "
                     "3702, as cameras use; another for simulated cameras)")
        ->check(CLI::Range(1, 65535))
        ->type_name("PORT");
    auto* user = command->add_option(
        "--user", values->user,
        "User name to read ONVIF cameras with, its password from --password-file, "
        "--password-stdin, PELMORA_PASSWORD or --password; unlike the setting commands' "
        "credentials both go to the cameras as given, in UTF-8. Without it ONVIF cameras are "
        "listed as \"credentials needed\"");
    values->password = std::make_shared<PasswordOption>(
        command, PasswordNames{"--password", "PELMORA_PASSWORD", "ONVIF password"},
        "Password of --user for the ONVIF cameras",
        CLI::Validator([](std::string&) { return std::string{}; }, ""),
        std::vector<CLI::Validator>{});
    line.addVisiblePasswordOption(values->password->textOption(), values->password->advice());
    for (auto* option : values->password->options()) {
        option->needs(user);
    }
    command->callback([&line, values] {
        line.setAction([&line, values] {
            DiscoverOptions options;
            options.target = line.target();
            options.json = values->json;
            options.csv = values->csv;
            options.problemsOnly = values->problems;
            options.wait = std::chrono::milliseconds(static_cast<long>(values->waitSeconds * 1000));
            if (!values->expect.empty()) {
                options.expected = readListFile(values->expect);
                if (!options.expected) {
                    return 2;
                }
            }
            if (values->onvif || !values->probeList.empty()) {
                std::string error;
                options.onvif = onvifOptions(values->probeList, values->onvifPort, values->user,
                                             *values->password, &error);
                if (!options.onvif) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                    return 2;
                }
            } else if (!values->user.empty()) {
                std::fprintf(stderr, "--user reads ONVIF cameras: give --onvif or --onvif-probe\n");
                return 2;
            }
            return runDiscover(options, stdout);
        });
    });
}

}  // namespace pelmora
