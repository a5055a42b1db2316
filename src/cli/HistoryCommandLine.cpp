// "history" and "diff" on the command line: the change log read back, and what changed between
// two lists of cameras.
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "changelog/ChangeHistory.h"
#include "changelog/StateDirectory.h"
#include "cli/CommandLine.h"
#include "cli/MacArgument.h"
#include "cli/NumberOption.h"
#include "cli/StandardStreams.h"
#include "diff/CameraListDiff.h"
#include "listing/TextFile.h"

namespace pelmora {
namespace {

int runHistory(const std::optional<std::string>& mac, bool json, std::optional<std::size_t> limit) {
    std::string trouble;
    auto history = readHistory(stateDirectory(), &trouble);
    if (!trouble.empty()) {
        std::fprintf(stderr, "pelmora-cli: %s\n", trouble.c_str());
        return 1;
    }
    filterHistory(history, mac, limit);
    if (json) {
        writeOutput(stdout, historyJsonText(history.entries));
    } else {
        std::string out;
        for (const auto& entry : history.entries) {
            out += historyLine(entry) + "\n";
        }
        writeOutput(stdout, out);
    }
    if (history.skippedLines > 0) {
        std::fprintf(stderr,
                     "pelmora-cli: %zu line%s of the change log could not be read and %s skipped\n",
                     history.skippedLines, history.skippedLines == 1 ? "" : "s",
                     history.skippedLines == 1 ? "was" : "were");
    }
    return 0;
}

std::optional<CameraList> readListFile(const std::string& path) {
    std::string reason;
    const auto text = readTextFile(path, reason);
    if (!text) {
        std::fprintf(stderr, "pelmora-cli: %s\n", reason.c_str());
        return std::nullopt;
    }
    auto read = readCameraList(*text, path);
    if (!read.list) {
        std::fprintf(stderr, "pelmora-cli: %s\n", read.error.c_str());
    }
    return std::move(read.list);
}

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

void addHistoryCommand(CommandLine& line) {
    struct Values {
        std::string mac;
        bool json = false;
        std::size_t limit = 0;
    };
    auto values = std::make_shared<Values>();
    auto* command = line.app().add_subcommand(
        "history",
        "Print the setting requests recorded in the change log (changes.jsonl under "
        "$PELMORA_STATE_DIR, else $XDG_STATE_HOME/pelmora, else ~/.local/state/pelmora) by the "
        "window and by this tool, newest first: time, MAC, action, what was asked, outcome. "
        "Passwords are never recorded.");
    auto* mac = command->add_option("--mac", values->mac, "Only the requests for this camera")
                    ->check(macArgument());
    command->add_flag("--json", values->json,
                      "Print one JSON array: each request's recorded fields with \"result\" its "
                      "outcome (\"sent\" when none is recorded)");
    auto* limit = command->add_option("--limit", values->limit, "At most N requests")
                      ->check(wholeNumberValidator(0, std::numeric_limits<std::size_t>::max(),
                                                   "must be 1 or more", "N"));
    command->callback([&line, values, mac, limit] {
        // Zero would print nothing at all, as if the log were empty.
        if (limit->count() > 0 && values->limit == 0) {
            throw CLI::ValidationError("--limit must be 1 or more");
        }
        line.setAction([values, mac, limit] {
            return runHistory(mac->count() > 0 ? std::optional(values->mac) : std::nullopt,
                              values->json,
                              limit->count() > 0 ? std::optional(values->limit) : std::nullopt);
        });
    });
}

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
