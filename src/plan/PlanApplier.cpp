#include "plan/PlanApplier.h"

#include "plan/PlanSettings.h"

namespace pelmora {

PlanApplier::PlanApplier(std::vector<Step> steps, Clock::duration answerTimeout,
                         Clock::duration verifyTimeout)
    : steps_(std::move(steps)),
      results_(steps_.size()),
      answerTimeout_(answerTimeout),
      verifyTimeout_(verifyTimeout) {
    if (steps_.empty()) {
        state_ = State::Finished;
    }
}

namespace {

constexpr char kHeldBack[] = "held back";
constexpr char kVerified[] = "verified";

}  // namespace

bool PlanApplier::heldInPlan(std::size_t k) const {
    const auto& planned = steps_[k].planned;
    if (planned.dhcp) {
        return false;
    }
    const auto address = ipv4ToNumber(planned.ipAddress);
    for (std::size_t j = 0; j < steps_.size(); ++j) {
        // A camera not yet sent, or whose move failed in any way, may be there still.
        if (j != k && results_[j] != kVerified && address != 0 &&
            ipv4ToNumber(steps_[j].heldAddress) == address) {
            return true;
        }
    }
    return false;
}

const PlanApplier::Step* PlanApplier::nextSend(Clock::time_point now, const AddressTaken& taken) {
    if (state_ != State::Idle) {
        return nullptr;
    }
    while (!stopAsked_ && next_ < steps_.size() &&
           (heldInPlan(next_) || (taken && !steps_[next_].planned.dhcp && taken(steps_[next_])))) {
        results_[next_++] = kHeldBack;
    }
    if (stopAsked_ || next_ >= steps_.size()) {
        state_ = State::Finished;
        return nullptr;
    }
    state_ = State::AwaitingAnswer;
    deadline_ = now + answerTimeout_;
    return &steps_[next_];
}

void PlanApplier::answered(const Answer& answer, Clock::time_point now) {
    if (state_ != State::AwaitingAnswer) {
        return;
    }
    if (answer.accepted) {
        state_ = State::AwaitingReply;
        deadline_ = now + verifyTimeout_;
        return;
    }
    finishCurrent(answer.words == "Setting NG" ? "NG" : answer.words);
}

void PlanApplier::replied(const std::string& mac, const NetworkSettings& reported,
                          std::string_view sharedWith) {
    if (state_ == State::AwaitingReply && mac == steps_[next_].mac &&
        reportsPlanned(reported, steps_[next_].planned)) {
        confirmed(true, sharedWith);
    }
}

void PlanApplier::confirmed(bool found, std::string_view sharedWith) {
    if (state_ != State::AwaitingReply) {
        return;
    }
    if (!found) {
        finishCurrent("not confirmed");
        return;
    }
    finishCurrent(sharedWith.empty()
                      ? std::string(kVerified)
                      : "not confirmed: " + std::string(sharedWith) + " reports the same address");
}

void PlanApplier::tick(Clock::time_point now) {
    if (now < deadline_ || (current() != nullptr && current()->onvif)) {
        return;
    }
    if (state_ == State::AwaitingAnswer) {
        finishCurrent("No Response");
    } else if (state_ == State::AwaitingReply) {
        finishCurrent("not confirmed");
    }
}

const PlanApplier::Step* PlanApplier::current() const {
    return state_ == State::AwaitingAnswer || state_ == State::AwaitingReply ? &steps_[next_]
                                                                             : nullptr;
}

void PlanApplier::finishCurrent(std::string result) {
    results_[next_++] = std::move(result);
    state_ = next_ < steps_.size() && !stopAsked_ ? State::Idle : State::Finished;
}

}  // namespace pelmora
