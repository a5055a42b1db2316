#pragma once
// When the two periodic ticks are due. A tick that falls far behind (the process was stopped,
// the machine slept) fires once and the schedule starts afresh, instead of firing a burst of
// catch-up ticks that would age the table several seconds at once.

#include <chrono>

namespace pelmora {

class TickSchedule {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Tick { None, Aging, Enquiry };

    TickSchedule(Clock::time_point start, Clock::duration enquiryPeriod,
                 Clock::duration agingPeriod);

    // One tick due at `now` (ageing before enquiry), which is then scheduled again; None when
    // nothing is due.
    Tick take(Clock::time_point now);
    Clock::time_point nextDue() const;

  private:
    Clock::duration enquiryPeriod_;
    Clock::duration agingPeriod_;
    Clock::time_point nextEnquiry_;
    Clock::time_point nextAging_;
};

}  // namespace pelmora
