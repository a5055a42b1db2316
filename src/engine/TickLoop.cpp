#include "engine/TickLoop.h"

#include <algorithm>

namespace pelmora {

TickLoop::TickLoop(DiscoveryEngine& engine)
    : engine_(engine), schedule_(Clock::now(), kEnquiryPeriod, kAgingPeriod) {}

bool TickLoop::runUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    for (;;) {
        // Woken for diagnostic lines too: they are written here, on the owner's thread.
        engine_.drainDiagnostics();
        if (done && done()) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        switch (schedule_.take(now)) {
            case TickSchedule::Tick::Aging:
                engine_.agingTick();
                continue;
            case TickSchedule::Tick::Enquiry:
                engine_.enquiryTick();
                continue;
            case TickSchedule::Tick::None:
                break;
        }
        std::unique_lock lock(mutex_);
        woken_.wait_until(lock, std::min(deadline, schedule_.nextDue()),
                          [this] { return pending_; });
        pending_ = false;
    }
}

void TickLoop::wake() {
    {
        std::lock_guard lock(mutex_);
        pending_ = true;
    }
    woken_.notify_one();
}

}  // namespace pelmora
