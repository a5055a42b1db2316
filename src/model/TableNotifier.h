#pragma once
// What the camera table tells the person using the tool, and how it sends again. The
// application implements these; tests use recording fakes. No call is made while the table's
// lock is held.

#include <functional>
#include <optional>
#include <string_view>

namespace pelmora {

enum class ResultIcon { Information, Warning };
enum class RetryAnswer { Retry, Cancel };

class TableNotifier {
  public:
    virtual ~TableNotifier() = default;

    // The outcome of a setting: "Setting OK", "Setting NG" or the camera's own message text
    // (untrusted; show as plain text). Caption "Information". Called on the receive thread: it
    // must hand the words on and return without waiting for a person.
    virtual void settingResult(ResultIcon icon, std::string_view words) = 0;

    // A setting was accepted without a message text; the acknowledgement listener (the
    // Bandwidth control page) refreshes. Receive thread; must not wait.
    virtual void acknowledged() = 0;

    // A setting request for camera `mac` was answered: accepted or refused, with the camera's
    // own text or without. Called on the receive thread. By default the person is told through
    // settingResult (and acknowledged, for an acceptance without text); a notifier may route a
    // camera's answers elsewhere, such as to a plan awaiting them.
    virtual void settled(std::string_view mac, bool accepted,
                         std::optional<std::string_view> messageText) {
        (void)mac;
        const auto icon = accepted ? ResultIcon::Information : ResultIcon::Warning;
        if (messageText) {
            settingResult(icon, *messageText);
            return;
        }
        if (accepted) {
            acknowledged();
        }
        settingResult(icon, accepted ? "Setting OK" : "Setting NG");
    }

    // A reply added a camera, brought one back into the list, or changed what the grids show
    // of it: worth rewriting the shown grid before the next tick. Called on the receive thread
    // for every such reply; must only flag the work and return.
    virtual void listChanged() {}

    // A request for camera `mac` went unanswered for about ten seconds: "No Response" with Retry
    // and Cancel. Called on the UI thread from the ageing tick.
    virtual RetryAnswer noResponse(std::string_view mac) = 0;
};

// Sends one datagram; 0 on success, −1 on failure.
using DatagramSender = std::function<int(std::string_view)>;

}  // namespace pelmora
