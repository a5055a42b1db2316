#include "plan/PlanRun.h"

#include "model/CameraTable.h"
#include "pages/network/NetworkRequest.h"

namespace pelmora {

std::vector<PlanApplier::Step> planSteps(const PlanCheck& check, std::string_view user,
                                         std::string_view password) {
    std::vector<PlanApplier::Step> steps;
    for (const auto i : check.order) {
        const auto& camera = check.cameras[i];
        steps.push_back({camera.mac,
                         buildNetworkRequest(camera.mac, user, password, camera.planned),
                         camera.planned});
    }
    return steps;
}

PlanRun::PlanRun(CameraTable& table, Hooks hooks, std::vector<PlanApplier::Step> steps,
                 Clock::duration verifyTimeout)
    : table_(table),
      hooks_(std::move(hooks)),
      applier_(std::move(steps), kPlanAnswerWait, verifyTimeout) {}

void PlanRun::advance(Clock::time_point now) {
    if (const auto* step = applier_.nextSend(now)) {
        if (!hooks_.send(*step)) {
            applier_.answered({false, "Not Sent"}, now);
        }
    } else if (applier_.state() == PlanApplier::State::AwaitingReply) {
        const auto& mac = applier_.current()->mac;
        if (const auto record = table_.findHeardSince(mac, repliesAtAnswer_)) {
            applier_.replied(mac, currentSettings(*record));
        }
        if (applier_.state() == PlanApplier::State::AwaitingReply &&
            now - lastEnquiry_ >= kPlanEnquiryPeriod) {
            hooks_.enquire();
            lastEnquiry_ = now;
        }
    }
    applier_.tick(now);
}

void PlanRun::answered(const PlanApplier::Answer& answer, Clock::time_point now) {
    if (applier_.state() != PlanApplier::State::AwaitingAnswer) {
        return;
    }
    applier_.answered(answer, now);
    if (applier_.state() == PlanApplier::State::AwaitingReply) {
        repliesAtAnswer_ = table_.repliesTaken();
        hooks_.enquire();
        lastEnquiry_ = now;
    }
}

bool PlanRun::confirmationWaiting() const {
    const auto* step = applier_.current();
    if (step == nullptr || applier_.state() != PlanApplier::State::AwaitingReply) {
        return false;
    }
    const auto record = table_.findHeardSince(step->mac, repliesAtAnswer_);
    return record && reportsPlanned(currentSettings(*record), step->planned);
}

}  // namespace pelmora
