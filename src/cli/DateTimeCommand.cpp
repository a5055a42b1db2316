#include "cli/DateTimeCommand.h"

#include "cli/HeadlessSession.h"
#include "cli/RequestWords.h"
#include "cli/StandardStreams.h"
#include "listing/CameraListing.h"

namespace pelmora {
namespace {

// The table prompts "No Response" on the tenth ageing tick after the send; this bound only
// keeps the command from waiting for ever if that tick never comes.
constexpr std::chrono::seconds kLongestWait{15};

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

}  // namespace

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
    const bool failed = session.receiveHasFailed();
    if (const auto code = session.stop()) {
        return *code;
    }
    if (failed) {
        return exitCodeOf(FatalSocketError::Receive);
    }
    bool allAccepted = true;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        writeOutput(out, printableText(command.macs[i]) + " " + wordsFor(answers[i]) + "\n");
        allAccepted = allAccepted && answers[i] == Answer::Accepted;
    }
    return allAccepted ? 0 : 1;
}

}  // namespace pelmora
