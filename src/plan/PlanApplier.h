#pragma once
// Applying a checked plan one camera at a time, the clock given by the caller: send a camera's
// request, await its answer, then await a fresh information reply that reports the planned
// settings. A refusal, the camera's own text or silence marks the camera and the next one goes
// on, unless its planned address is still held: by a camera of the plan whose own move has not
// been verified (it may well still be there), or by any other camera the caller hears there. Such
// a camera is held back, and so, in turn, is every move onto the address it still holds. A stop
// asked for is honoured only between cameras, so no camera is left half done and no request is
// sent twice.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/network/NetworkSettings.h"

namespace pelmora {

struct OnvifPlanTarget;

class PlanApplier {
  public:
    using Clock = std::chrono::steady_clock;

    struct Step {
        std::string mac;
        std::string request;  // the whole datagram
        NetworkSettings planned;
        // The address the camera reported when the plan was checked (0.0.0.0: none). Until its
        // move is verified, the camera is taken to be there still.
        Ipv4 heldAddress{};
        // An ONVIF camera's step: its requests instead of `request`. Its exchange and the
        // looking for it afterwards are bounded by their own time-outs, so the applier sets no
        // deadline of its own on it and waits for `confirmed`.
        std::shared_ptr<const OnvifPlanTarget> onvif = nullptr;
    };

    enum class State { Idle, AwaitingAnswer, AwaitingReply, Finished };

    // The answer a setting request got, as the camera table reports it.
    struct Answer {
        bool accepted = false;
        std::string words;  // "Setting OK", "Setting NG", the camera's text, "No Response"
    };

    // `steps` in sending order. An answer not come after `answerTimeout` is "No Response"; a
    // camera that accepted but has not reported the planned settings after `verifyTimeout` is
    // "not confirmed".
    PlanApplier(std::vector<Step> steps, Clock::duration answerTimeout,
                Clock::duration verifyTimeout);

    // Whether a camera other than the step's own is heard at the step's planned address now.
    using AddressTaken = std::function<bool(const Step&)>;

    // The request to send now, when idle with a camera left and no stop asked for. The caller
    // sends it at once: the applier then awaits its answer. Cameras whose planned address is
    // still held are passed over first, each "held back", nothing sent.
    const Step* nextSend(Clock::time_point now, const AddressTaken& taken = {});
    // The answer to the request last sent.
    void answered(const Answer& answer, Clock::time_point now);
    // An information reply from `mac` received after the answer, with the settings it reports.
    // `sharedWith`: the MAC of another camera heard at the address the reply reports, "" when
    // none; the planned settings so shared are "not confirmed" and said why.
    void replied(const std::string& mac, const NetworkSettings& reported,
                 std::string_view sharedWith = {});
    // An ONVIF camera that accepted was looked for: found with its planned address, or not.
    // `sharedWith` as for replied.
    void confirmed(bool found, std::string_view sharedWith = {});
    // Time passes: the answer's or the reply's wait may be over.
    void tick(Clock::time_point now);
    // Stops before the next camera; a camera under way is finished first.
    void stop() { stopAsked_ = true; }
    bool stopAsked() const { return stopAsked_; }

    State state() const { return state_; }
    // The camera being applied, while not idle.
    const Step* current() const;
    bool finished() const { return state_ == State::Finished; }
    // One result per step, "" for a step not reached: "verified", "not confirmed" (with the
    // reason after a colon when another camera reports the same address), "NG", "No Response",
    // "held back" or the camera's own text.
    const std::vector<std::string>& results() const { return results_; }
    const std::vector<Step>& steps() const { return steps_; }

  private:
    // Whether step `k`'s planned address is still held by a camera of the plan whose move has
    // not been verified.
    bool heldInPlan(std::size_t k) const;
    void finishCurrent(std::string result);

    std::vector<Step> steps_;
    std::vector<std::string> results_;
    Clock::duration answerTimeout_;
    Clock::duration verifyTimeout_;
    std::size_t next_ = 0;
    State state_ = State::Idle;
    Clock::time_point deadline_{};
    bool stopAsked_ = false;
};

}  // namespace pelmora
