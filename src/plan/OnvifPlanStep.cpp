#include "plan/OnvifPlanStep.h"

#include "changelog/OnvifRecording.h"
#include "onvif/AddressVerification.h"
#include "onvif/OnvifSetter.h"
#include "plan/OnvifPlanCamera.h"
#include "settings/onvif/OnvifNetworkRules.h"

namespace pelmora {
namespace {

constexpr std::chrono::milliseconds kReadAgain{1000};

// A camera switched to DHCP takes whatever address its server leases: it is looked for where it
// was, until it reports DHCP on the interface with its MAC.
bool foundUnderDhcp(const onvif::OnvifCamera& camera, const onvif::HttpDigest& credentials,
                    std::chrono::milliseconds timeout, const std::atomic<bool>& cancel) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!cancel && std::chrono::steady_clock::now() < until) {
        onvif::OnvifSetter setter(camera.serviceAddress, credentials);
        for (const auto& interface :
             setter.networkInterfaces().value_or(std::vector<onvif::NetworkInterface>{})) {
            if (interface.hardwareAddress == camera.mac && interface.dhcp == true) {
                return true;
            }
        }
        for (auto waited = std::chrono::milliseconds{0}; waited < kReadAgain && !cancel;
             waited += std::chrono::milliseconds{100}) {
            std::this_thread::sleep_for(std::chrono::milliseconds{100});
        }
    }
    return false;
}

}  // namespace

OnvifPlanStep::OnvifPlanStep(const PlanApplier::Step& step, OnvifPlanAccess access,
                             std::chrono::milliseconds verifyTimeout)
    : thread_([this, step, access = std::move(access), verifyTimeout] {
          run(step, access, verifyTimeout);
      }) {}

OnvifPlanStep::~OnvifPlanStep() {
    cancel_ = true;
    thread_.join();
}

std::optional<PlanApplier::Answer> OnvifPlanStep::answer() const {
    const std::lock_guard lock(mutex_);
    return answer_;
}

std::optional<bool> OnvifPlanStep::found() const {
    const std::lock_guard lock(mutex_);
    return found_;
}

void OnvifPlanStep::run(PlanApplier::Step step, OnvifPlanAccess access,
                        std::chrono::milliseconds verifyTimeout) {
    const auto& target = *step.onvif;
    const auto& camera = target.camera;
    const auto answered = [this](PlanApplier::Answer answer) {
        const std::lock_guard lock(mutex_);
        answer_ = std::move(answer);
    };
    onvif::OnvifSetter setter(camera.serviceAddress, access.credentials);
    if (camera.clockOffset) {
        setter.setClockOffset(*camera.clockOffset);
    }
    const auto confirmed = setter.confirmDevice(*camera.mac);
    if (confirmed.outcome != onvif::SettingOutcome::Accepted) {
        const bool elsewhere = confirmed.outcome == onvif::SettingOutcome::WrongDevice;
        if (elsewhere && access.warn) {
            access.warn(confirmed.words);
        }
        answered({false, elsewhere ? "Not Sent" : confirmed.words});
        return;
    }
    const auto result = sendRecorded(setter, access.journal, camera, "network",
                                     loggedNetworkChange(target.change), target.requests);
    if (result.outcome != onvif::SettingOutcome::Accepted) {
        answered({false, result.words});
        return;
    }
    answered({true, result.words});
    if (result.rebootNeeded) {
        // The plan asked for the new address; the camera takes it only after a restart, and
        // until then it still holds the old one, which a later row may be waiting for.
        sendRecorded(setter, access.journal, camera, "reboot", {{"reboot", 1}},
                     {onvif::rebootRequest()});
    }
    const bool found =
        step.planned.dhcp
            ? foundUnderDhcp(camera, access.credentials, verifyTimeout, cancel_)
            : onvif::verifyAtAddress(step.planned.ipAddress, *camera.mac, access.credentials,
                                     access.discoveryPort, verifyTimeout, &cancel_);
    const std::lock_guard lock(mutex_);
    found_ = found;
}

}  // namespace pelmora
