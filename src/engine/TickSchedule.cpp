#include "engine/TickSchedule.h"

#include <algorithm>

namespace pelmora {
namespace {

void advance(TickSchedule::Clock::time_point& next, TickSchedule::Clock::duration period,
             TickSchedule::Clock::time_point now) {
    next += period;
    if (next <= now) {
        next = now + period;
    }
}

}  // namespace

TickSchedule::TickSchedule(Clock::time_point start, Clock::duration enquiryPeriod,
                           Clock::duration agingPeriod)
    : enquiryPeriod_(enquiryPeriod),
      agingPeriod_(agingPeriod),
      nextEnquiry_(start + enquiryPeriod),
      nextAging_(start + agingPeriod) {}

TickSchedule::Tick TickSchedule::take(Clock::time_point now) {
    if (now >= nextAging_) {
        advance(nextAging_, agingPeriod_, now);
        return Tick::Aging;
    }
    if (now >= nextEnquiry_) {
        advance(nextEnquiry_, enquiryPeriod_, now);
        return Tick::Enquiry;
    }
    return Tick::None;
}

TickSchedule::Clock::time_point TickSchedule::nextDue() const {
    return std::min(nextEnquiry_, nextAging_);
}

}  // namespace pelmora
