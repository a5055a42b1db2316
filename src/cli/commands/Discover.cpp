// "discover": run the engine for a while, then print the listed cameras.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/HeadlessSession.h"
#include "cli/NumberOption.h"
#include "cli/StandardStreams.h"
#include "engine/LocalInterfaces.h"
#include "listing/CameraListing.h"

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
};

// Returns the process exit code: 0; with `problemsOnly`, 1 when a camera has a problem; 1 when
// no enquiry could be sent; 1 to 5 for a fatal socket error.
int runDiscover(const DiscoverOptions& options, std::FILE* out) {
    HeadlessSession session(options.target);
    if (const auto code = session.start()) {
        return *code;
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
    std::vector<CameraRecord> cameras;
    std::vector<CameraAddressing> addressing;
    session.table().read([&](const TableData& d) {
        for (int i = 0; i < d.count; ++i) {
            if (isListed(d.records[i])) {
                cameras.push_back(d.records[i]);
                addressing.push_back(addressingOf(d.records[i], d.receivedOn[i]));
            }
        }
        return 0;
    });
    auto notes = cameraNotes(addressing, session.engine().localInterfaces());
    if (options.problemsOnly) {
        keepCamerasWithProblems(cameras, notes);
    }
    const auto text = options.json  ? formatCameraJson(cameras, notes)
                      : options.csv ? formatCameraCsv(cameras, notes)
                                    : formatCameraTable(cameras, notes);
    writeOutput(out, text);
    // Said once, after the list: a full list is not all the cameras that answered.
    if (const auto dropped = session.table().overflow().dropped; dropped > 0) {
        std::fprintf(stderr,
                     "Warning: the camera table is full (%d); %llu %s from other cameras %s "
                     "dropped\n",
                     kTableSize, static_cast<unsigned long long>(dropped),
                     dropped == 1 ? "reply" : "replies", dropped == 1 ? "was" : "were");
    }
    return options.problemsOnly && !cameras.empty() ? 1 : 0;
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
