#include "engine/TickLoop.h"

#include <algorithm>

namespace pelmora {

TickLoop::TickLoop(DiscoveryEngine& engine)
    : engine_(engine),
      nextEnquiry_(Clock::now() + kEnquiryPeriod),
      nextAging_(Clock::now() + kAgingPeriod) {}

bool TickLoop::runUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    for (;;) {
        if (done && done()) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        if (now >= nextAging_) {
            engine_.agingTick();
            nextAging_ += kAgingPeriod;
            continue;
        }
        if (now >= nextEnquiry_) {
            engine_.enquiryTick();
            nextEnquiry_ += kEnquiryPeriod;
            continue;
        }
        std::unique_lock lock(mutex_);
        woken_.wait_until(lock, std::min({deadline, nextAging_, nextEnquiry_}),
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
