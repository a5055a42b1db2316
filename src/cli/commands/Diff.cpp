// "diff": what changed between two lists of cameras.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/CameraListFile.h"
#include "cli/CommandLine.h"
#include "cli/StandardStreams.h"
#include "diff/CameraListDiff.h"

namespace pelmora {
namespace {

// Exit status as diff(1): 0 the same, 1 differences, 2 trouble.
int runDiff(const std::string& oldPath, const std::string& newPath, bool json) {
    const auto before = readListFile(oldPath);
    const auto after = before ? readListFile(newPath) : std::nullopt;
    if (!before || !after) {
        return 2;
    }
    const auto diff = diffCameraLists(*before, *after);
    if (json) {
        writeOutput(
            stdout,
            diffJson(diff).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    } else {
        writeOutput(stdout, formatDiff(diff));
    }
    // A result that did not reach its reader is trouble, not "different"; the reason is written
    // as the program ends.
    if (standardOutputFailed()) {
        return 2;
    }
    return diff.empty() ? 0 : 1;
}

}  // namespace

void addDiffCommand(CommandLine& line) {
    struct Values {
        std::string oldPath;
        std::string newPath;
        bool json = false;
    };
    auto values = std::make_shared<Values>();
    auto* command = line.app().add_subcommand(
        "diff",
        "Compare two lists of cameras, each written by discover --json or --csv or exported by "
        "the window, matching cameras by MAC (in either case, with \":\" or \"-\"): \"+ MAC ...\" "
        "for "
        "a camera only in NEW, \"- MAC ...\" for one only in OLD, \"~ MAC field: old -> new\" for "
        "each changed field (age and clock are not compared). Exit status 0 no difference, 1 "
        "differences, 2 trouble (a list that cannot be read, or a result that cannot be "
        "written).");
    command->add_option("OLD", values->oldPath, "The earlier list")->required();
    command->add_option("NEW", values->newPath, "The later list")->required();
    command->add_flag("--json", values->json,
                      "Print {\"added\": [...], \"removed\": [...], \"changed\": [{\"mac\", "
                      "\"field\", \"old\", \"new\"}]}");
    command->callback([&line, values] {
        line.setAction(
            [values] { return runDiff(values->oldPath, values->newPath, values->json); });
    });
}

}  // namespace pelmora
