// "history": the setting requests of the change log, read back.
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

}  // namespace pelmora
