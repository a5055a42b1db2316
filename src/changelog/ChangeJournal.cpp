#include "changelog/ChangeJournal.h"

#include <unistd.h>

#include <cstdio>
#include <random>

#include <nlohmann/json.hpp>

#include "changelog/RequestDescriber.h"
#include "listing/CameraListing.h"
#include "model/FixedText.h"

namespace pelmora {
namespace {

using Json = nlohmann::ordered_json;

std::string outcomeWord(RequestOutcome outcome) {
    switch (outcome) {
        case RequestOutcome::Accepted:
            return "OK";
        case RequestOutcome::Refused:
            return "NG";
        case RequestOutcome::Message:
            return "message";
        case RequestOutcome::NotSent:
            return "Not Sent";
        case RequestOutcome::NoResponse:
            break;
    }
    return "No Response";
}

// Ids must not repeat across the processes writing one log: the process id and a random part
// name this run, a counter the request within it.
std::string runPrefix() {
    std::random_device random;
    char text[40];
    std::snprintf(text, sizeof text, "%x-%08x", static_cast<unsigned>(::getpid()),
                  static_cast<unsigned>(random()));
    return text;
}

// Camera text is 8-bit; anything not valid UTF-8 would make the line unreadable as JSON.
std::string lineOf(const Json& entry) {
    return entry.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace

std::string isoLocalTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[40];
    const auto n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string out(text, n);
    // strftime writes the offset as +hhmm; ISO 8601 extended form wants +hh:mm.
    if (out.size() >= 5) {
        out.insert(out.size() - 2, ":");
    }
    return out;
}

ChangeJournal::ChangeJournal(std::string program, ChangeLogFile file, FailureReport onFailure,
                             Clock clock)
    : program_(std::move(program)),
      file_(std::move(file)),
      onFailure_(std::move(onFailure)),
      clock_(std::move(clock)),
      idPrefix_(runPrefix()) {}

ChangeJournal::~ChangeJournal() {
    flush();
}

std::string ChangeJournal::nextId() {
    return idPrefix_ + "-" + std::to_string(++sequence_);
}

void ChangeJournal::requestSent(int slot, std::string_view mac, std::string_view request,
                                const CameraRecord* listed) {
    const auto summary = summariseRequest(request);
    {
        std::lock_guard lock(mutex_);
        const auto id = nextId();
        if (slot >= 0 && slot < kTableSize) {
            awaited_[slot] = id;
        }
        Json entry{
            {"time", isoLocalTime(clock_())},
            {"id", id},
            {"program", program_},
            {"action", summary.action},
            {"mac", latin1ToUtf8(mac)},
            {"ipAddress", listed != nullptr ? formatIpv4(listed->ipAddress) : std::string()},
            {"model", listed != nullptr ? latin1ToUtf8(fieldText(listed->model)) : std::string()},
            {"settings", summary.settings},
            {"result", "sent"},
        };
        queued_.push_back(lineOf(entry));
    }
    // Sent on the owner's thread: its line, and any answer's waiting before it, go out now.
    flush();
}

void ChangeJournal::requestSettled(int slot, RequestOutcome outcome, std::string_view text) {
    if (slot < 0 || slot >= kTableSize) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        // A slot settled twice (a second reply, or a reply after "No Response") is recorded once.
        if (awaited_[slot].empty()) {
            return;
        }
        Json entry{
            {"time", isoLocalTime(clock_())},
            {"id", awaited_[slot]},
            {"result", outcomeWord(outcome)},
        };
        if (outcome == RequestOutcome::Message) {
            entry["text"] = latin1ToUtf8(text);
        }
        awaited_[slot].clear();
        queued_.push_back(lineOf(entry));
    }
    if (wake_) {
        wake_();
    }
}

std::string ChangeJournal::onvifRequestSent(std::string_view mac, std::string_view ipAddress,
                                            std::string_view model, std::string_view action,
                                            const nlohmann::ordered_json& settings) {
    std::string id;
    {
        std::lock_guard lock(mutex_);
        id = nextId();
        // ONVIF texts are UTF-8 already; invalid bytes are replaced when the line is made.
        Json entry{
            {"time", isoLocalTime(clock_())},
            {"id", id},
            {"program", program_},
            {"protocol", "onvif"},
            {"action", action},
            {"mac", mac},
            {"ipAddress", ipAddress},
            {"model", model},
            {"settings", settings},
            {"result", "sent"},
        };
        queued_.push_back(lineOf(entry));
    }
    flush();
    return id;
}

void ChangeJournal::onvifRequestSettled(const std::string& id, RequestOutcome outcome,
                                        std::string_view text) {
    {
        std::lock_guard lock(mutex_);
        Json entry{
            {"time", isoLocalTime(clock_())},
            {"id", id},
            {"result", outcomeWord(outcome)},
        };
        if (outcome == RequestOutcome::Message) {
            entry["text"] = text;
        }
        queued_.push_back(lineOf(entry));
    }
    flush();
}

void ChangeJournal::flush() {
    std::lock_guard writing(writeMutex_);
    std::vector<std::string> lines;
    {
        std::lock_guard lock(mutex_);
        lines.swap(queued_);
    }
    for (const auto& line : lines) {
        write(line);
    }
}

void ChangeJournal::write(const std::string& line) {
    const auto trouble = file_.append(line);
    if (trouble.empty() || failureReported_) {
        return;
    }
    failureReported_ = true;
    if (onFailure_) {
        onFailure_(trouble);
    }
}

}  // namespace pelmora
