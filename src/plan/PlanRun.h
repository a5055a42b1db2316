#pragma once
// A checked plan applied against the live camera table, shared by the window and the
// command-line tool: each camera's request goes out through the caller's sending (the Network
// page's path), its answer is handed in by the caller, and the camera is then heard through
// enquiries until a reply taken in after the answer reports the planned settings. Before each
// camera is sent its planned address is looked for among the cameras listed at that moment, and
// a confirmed address is looked for again: a camera found there holds the move back, or leaves
// it "not confirmed". An ONVIF camera's step runs on a thread of its own (OnvifPlanStep) and is
// polled here. All calls come from one thread; waiting is the caller's (timers in the window, the
// tick loop in the CLI).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plan/OnvifPlanStep.h"
#include "plan/PlanApplier.h"
#include "plan/PlanCheck.h"

namespace pelmora {

class CameraTable;

// The table says "No Response" on the tenth ageing tick; this only bounds the wait if that never
// comes.
inline constexpr std::chrono::seconds kPlanAnswerWait{15};
// While a camera's new settings are awaited, an enquiry goes out this often (the usual one only
// every 5 s), so that a camera back on the network is heard soon.
inline constexpr std::chrono::seconds kPlanEnquiryPeriod{1};

// The requests of a checked plan's changing cameras, in its sending order.
std::vector<PlanApplier::Step> planSteps(const PlanCheck& check, std::string_view user,
                                         std::string_view password);

class PlanRun {
  public:
    using Clock = PlanApplier::Clock;

    struct Hooks {
        // Sends the step's request as OK would (tracked for its answer); false when it could not
        // be sent.
        std::function<bool(const PlanApplier::Step&)> send;
        // Sends an enquiry now.
        std::function<void()> enquire;
        // How the plan's ONVIF cameras are reached; without it their steps are "Not Sent".
        std::optional<OnvifPlanAccess> onvif = std::nullopt;
    };

    PlanRun(CameraTable& table, Hooks hooks, std::vector<PlanApplier::Step> steps,
            Clock::duration verifyTimeout);
    // An ONVIF step under way is ended early (its request, if sent, is finished first).
    ~PlanRun();
    PlanRun(const PlanRun&) = delete;
    PlanRun& operator=(const PlanRun&) = delete;

    // Moves the plan on: sends the next camera's request when the last one is done, notices the
    // reply that confirms a camera, enquires while one is awaited, ends waits that are over.
    void advance(Clock::time_point now);
    // The answer to our camera's request under way, as the table reported it (an ONVIF step's
    // answer is its own).
    void answered(const PlanApplier::Answer& answer, Clock::time_point now);
    // Stops before the next camera; the one under way is finished first.
    void stop() { applier_.stop(); }

    // Whether the camera under way has just been heard with its planned settings, or an ONVIF
    // step has news: a caller that sleeps between advances wakes for it.
    bool confirmationWaiting() const;

    const PlanApplier& applier() const { return applier_; }
    const std::vector<PlanApplier::Step>& steps() const { return applier_.steps(); }

  private:
    void advanceOnvif(Clock::time_point now);

    CameraTable& table_;
    Hooks hooks_;
    PlanApplier applier_;
    // The table's count of replies when the answer came: only later ones confirm.
    std::uint64_t repliesAtAnswer_ = 0;
    Clock::time_point lastEnquiry_{};
    Clock::duration verifyTimeout_;
    std::unique_ptr<OnvifPlanStep> onvifStep_;
};

}  // namespace pelmora
