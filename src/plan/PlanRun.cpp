#include "plan/PlanRun.h"

#include "model/CameraTable.h"
#include "model/FixedText.h"
#include "plan/PlanSettings.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {
namespace {

// A listed camera other than `mac` that reports `address`: its MAC as it reports it, "" when
// none. Cameras are told apart by their MAC, as the table keeps them.
std::string otherCameraAt(const CameraTable& table, const Ipv4& address, std::string_view mac) {
    if (ipv4ToNumber(address) == 0) {
        return {};
    }
    for (const auto& record : table.liveRecords()) {
        if (isListed(record) && fieldText(record.mac) != mac &&
            ipv4ToNumber(record.ipAddress) == ipv4ToNumber(address)) {
            return std::string(fieldText(record.mac));
        }
    }
    return {};
}

}  // namespace

std::vector<PlanApplier::Step> planSteps(const PlanCheck& check, std::string_view user,
                                         std::string_view password) {
    std::vector<PlanApplier::Step> steps;
    for (const auto i : check.order) {
        const auto& camera = check.cameras[i];
        PlanApplier::Step step{
            camera.mac,
            camera.onvif ? std::string()
                         : buildNetworkRequest(camera.mac, user, password, camera.planned),
            camera.planned, camera.current.ipAddress, camera.onvif};
        steps.push_back(std::move(step));
    }
    return steps;
}

PlanRun::PlanRun(CameraTable& table, Hooks hooks, std::vector<PlanApplier::Step> steps,
                 Clock::duration verifyTimeout)
    : table_(table),
      hooks_(std::move(hooks)),
      applier_(std::move(steps), kPlanAnswerWait, verifyTimeout),
      verifyTimeout_(verifyTimeout) {}

PlanRun::~PlanRun() = default;

void PlanRun::advanceOnvif(Clock::time_point now) {
    const auto& step = *applier_.current();
    if (applier_.state() == PlanApplier::State::AwaitingAnswer) {
        if (const auto answer = onvifStep_->answer()) {
            applier_.answered(*answer, now);
            if (!answer->accepted) {
                onvifStep_.reset();
            }
        }
        return;
    }
    if (const auto found = onvifStep_->found()) {
        // Found at its address; one of ours that reports the same address leaves it shared.
        applier_.confirmed(*found, *found && !step.planned.dhcp
                                       ? otherCameraAt(table_, step.planned.ipAddress, step.mac)
                                       : std::string());
        onvifStep_.reset();
    }
}

void PlanRun::advance(Clock::time_point now) {
    // Checked again just before each camera is sent: one outside the plan may have taken the
    // address meanwhile, or one of the plan may not have left it.
    const auto taken = [this](const PlanApplier::Step& step) {
        return !otherCameraAt(table_, step.planned.ipAddress, step.mac).empty();
    };
    if (const auto* step = applier_.nextSend(now, taken)) {
        if (step->onvif) {
            if (hooks_.onvif) {
                onvifStep_ = std::make_unique<OnvifPlanStep>(
                    *step, *hooks_.onvif,
                    std::chrono::duration_cast<std::chrono::milliseconds>(verifyTimeout_));
            } else {
                applier_.answered({false, "Not Sent"}, now);
            }
        } else if (!hooks_.send(*step)) {
            applier_.answered({false, "Not Sent"}, now);
        }
    } else if (onvifStep_) {
        advanceOnvif(now);
    } else if (applier_.state() == PlanApplier::State::AwaitingReply) {
        const auto& mac = applier_.current()->mac;
        if (const auto record = table_.findHeardSince(mac, repliesAtAnswer_)) {
            const auto reported = currentSettings(*record);
            // Looked for only once the planned settings are reported: the whole table is read.
            applier_.replied(mac, reported,
                             reportsPlanned(reported, applier_.current()->planned)
                                 ? otherCameraAt(table_, reported.ipAddress, mac)
                                 : std::string());
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
    // An answer left over from our last camera is no answer for an ONVIF camera's step.
    if (applier_.state() != PlanApplier::State::AwaitingAnswer || onvifStep_) {
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
    if (onvifStep_) {
        return applier_.state() == PlanApplier::State::AwaitingAnswer
                   ? onvifStep_->answer().has_value()
                   : onvifStep_->found().has_value();
    }
    const auto* step = applier_.current();
    if (step == nullptr || applier_.state() != PlanApplier::State::AwaitingReply) {
        return false;
    }
    const auto record = table_.findHeardSince(step->mac, repliesAtAnswer_);
    return record && reportsPlanned(currentSettings(*record), step->planned);
}

}  // namespace pelmora
