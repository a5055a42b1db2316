#pragma once
// One ONVIF camera's step of a plan, on a thread of its own so that neither the window nor the
// command line's loop waits on it: the device at the service address confirmed by MAC, the
// requests sent with the change log told, a restart asked for when the camera needs one to take
// its new addressing, then the camera looked for with its planned addressing. The plan's thread
// polls it.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "changelog/ChangeJournal.h"
#include "onvif/OnvifDiscovery.h"
#include "onvif/SoapTransfer.h"
#include "plan/PlanApplier.h"

namespace pelmora {

// What a plan needs to reach its ONVIF cameras.
struct OnvifPlanAccess {
    onvif::HttpDigest credentials;
    std::uint16_t discoveryPort = onvif::kDiscoveryPort;
    // Null: the requests go unrecorded.
    ChangeJournal* journal = nullptr;
    // Told, from the step's thread, what the person should know beyond the row's result (the
    // device that answered instead of the chosen camera).
    std::function<void(const std::string&)> warn;
};

class OnvifPlanStep {
  public:
    // Starts at once. `step.onvif` must be set.
    OnvifPlanStep(const PlanApplier::Step& step, OnvifPlanAccess access,
                  std::chrono::milliseconds verifyTimeout);
    // Ends the looking early and waits for the thread; a request under way is finished.
    ~OnvifPlanStep();
    OnvifPlanStep(const OnvifPlanStep&) = delete;
    OnvifPlanStep& operator=(const OnvifPlanStep&) = delete;

    // How the requests went, once they have: accepted, or the words of why not ("Not Sent",
    // "No Response", "Setting NG", the camera's fault text).
    std::optional<PlanApplier::Answer> answer() const;
    // After an accepted answer: whether the camera was found with its planned addressing.
    std::optional<bool> found() const;

  private:
    void run(PlanApplier::Step step, OnvifPlanAccess access,
             std::chrono::milliseconds verifyTimeout);

    mutable std::mutex mutex_;
    std::optional<PlanApplier::Answer> answer_;
    std::optional<bool> found_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

}  // namespace pelmora
