#include "engine/TickSchedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelmora {
namespace {

using namespace std::chrono_literals;
using Tick = TickSchedule::Tick;

// Every tick taken while time advances in 100 ms steps from the start to `end`.
std::vector<std::pair<std::chrono::milliseconds, Tick>> ticksUntil(std::chrono::milliseconds end) {
    const TickSchedule::Clock::time_point start{};
    TickSchedule schedule(start, 5000ms, 1000ms);
    std::vector<std::pair<std::chrono::milliseconds, Tick>> taken;
    for (auto t = 0ms; t <= end; t += 100ms) {
        for (auto tick = schedule.take(start + t); tick != Tick::None;
             tick = schedule.take(start + t)) {
            taken.emplace_back(t, tick);
        }
    }
    return taken;
}

TEST(TickSchedule, agesEverySecondAndEnquiresEveryFiveAfterTheFirst) {
    const auto taken = ticksUntil(10'000ms);
    int aging = 0;
    std::vector<std::chrono::milliseconds> enquiries;
    for (const auto& [at, tick] : taken) {
        if (tick == Tick::Aging) {
            EXPECT_EQ(at.count() % 1000, 0);
            ++aging;
        } else {
            enquiries.push_back(at);
        }
    }
    EXPECT_EQ(aging, 10);
    EXPECT_EQ(enquiries, (std::vector{5000ms, 10'000ms}));
}

TEST(TickSchedule, agingComesBeforeAnEnquiryDueAtTheSameTime) {
    const auto taken = ticksUntil(5000ms);
    ASSERT_GE(taken.size(), 2u);
    EXPECT_EQ(taken[taken.size() - 2], std::make_pair(5000ms, Tick::Aging));
    EXPECT_EQ(taken.back(), std::make_pair(5000ms, Tick::Enquiry));
}

TEST(TickSchedule, aLongStallFiresOnceInsteadOfABurstOfCatchUpTicks) {
    const TickSchedule::Clock::time_point start{};
    TickSchedule schedule(start, 5000ms, 1000ms);
    const auto late = start + 30s;
    EXPECT_EQ(schedule.take(late), Tick::Aging);
    EXPECT_EQ(schedule.take(late), Tick::Enquiry);
    EXPECT_EQ(schedule.take(late), Tick::None);
    EXPECT_EQ(schedule.nextDue(), late + 1s);
}

}  // namespace
}  // namespace pelmora
