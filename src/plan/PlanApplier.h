#pragma once
// Applying a checked plan one camera at a time, the clock given by the caller: send a camera's
// request, await its answer, then await a fresh information reply that reports the planned
// settings. A refusal, the camera's own text or silence marks the camera and the next one goes
// on. A stop asked for is honoured only between cameras, so no camera is left half done and no
// request is sent twice.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "pages/network/NetworkSettings.h"

namespace pelmora {

class PlanApplier {
  public:
    using Clock = std::chrono::steady_clock;

    struct Step {
        std::string mac;
        std::string request;  // the whole datagram
        NetworkSettings planned;
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

    // The request to send now, when idle with a camera left and no stop asked for. The caller
    // sends it at once: the applier then awaits its answer.
    const Step* nextSend(Clock::time_point now);
    // The answer to the request last sent.
    void answered(const Answer& answer, Clock::time_point now);
    // An information reply from `mac` received after the answer, with the settings it reports.
    void replied(const std::string& mac, const NetworkSettings& reported);
    // Time passes: the answer's or the reply's wait may be over.
    void tick(Clock::time_point now);
    // Stops before the next camera; a camera under way is finished first.
    void stop() { stopAsked_ = true; }
    bool stopAsked() const { return stopAsked_; }

    State state() const { return state_; }
    // The camera being applied, while not idle.
    const Step* current() const;
    bool finished() const { return state_ == State::Finished; }
    // One result per step, "" for a step not reached: "verified", "not confirmed", "NG", "No
    // Response" or the camera's own text.
    const std::vector<std::string>& results() const { return results_; }
    const std::vector<Step>& steps() const { return steps_; }

  private:
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
