#pragma once
// Drives the engine's two ticks for the headless programs: an enquiry every 5 s after the one
// sent at start, table maintenance every second. Runs on the calling thread, which is then the
// thread that owns the table's UI-side operations.

#include <condition_variable>
#include <functional>
#include <mutex>

#include "engine/DiscoveryEngine.h"
#include "engine/TickSchedule.h"

namespace pelmora {

class TickLoop {
  public:
    using Clock = TickSchedule::Clock;

    explicit TickLoop(DiscoveryEngine& engine);

    // Ticks until `deadline`, or until `done` (checked after every tick and whenever woken)
    // returns true. Returns true when `done` ended it.
    bool runUntil(Clock::time_point deadline, const std::function<bool()>& done = {});

    // From any thread: makes the loop check `done`, and write waiting diagnostic lines, now.
    void wake();

  private:
    DiscoveryEngine& engine_;
    TickSchedule schedule_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool pending_ = false;
};

}  // namespace pelmora
