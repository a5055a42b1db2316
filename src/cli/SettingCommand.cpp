#include "cli/SettingCommand.h"

#include "cli/HeadlessSession.h"
#include "cli/StandardStreams.h"
#include "listing/CameraListing.h"
#include "settings/SettingSender.h"

namespace pelmora {
namespace {

// The table prompts "No Response" on the tenth ageing tick after the send; this bound only
// keeps the command from waiting for ever if that tick never comes.
constexpr std::chrono::seconds kLongestWait{15};

}  // namespace

int runSettingCommand(const SettingCommand& command, std::FILE* out) {
    if (command.dryRun) {
        writeOutput(out, dryRunLine(command.mac, command.request, command.names));
        return 0;
    }
    HeadlessSession session(command.target);
    if (const auto code = session.start()) {
        return *code;
    }
    return runSettingCommand(session, command, out);
}

int runSettingCommand(HeadlessSession& session, const SettingCommand& command, std::FILE* out) {
    if (command.dryRun) {
        if (const auto code = session.stop()) {
            return *code;
        }
        writeOutput(out, dryRunLine(command.mac, command.request, command.names));
        return 0;
    }
    auto& engine = session.engine();
    const bool sent =
        sendSettingRequest(
            session.table(), [&engine](std::string_view text) { return engine.sendDatagram(text); },
            command.mac, command.request) == 0;
    // A request that never left cannot be answered: no reason to wait for "No Response".
    if (sent) {
        session.runFor(kLongestWait, [&session] { return session.outcome().has_value(); });
    }
    if (const auto code = session.stop()) {
        return *code;
    }
    const auto outcome =
        session.outcome().value_or(SettingOutcome{false, sent ? "No Response" : "Not Sent"});
    writeOutput(out, printableText(outcome.words) + "\n");
    return outcome.accepted ? 0 : 1;
}

}  // namespace pelmora
