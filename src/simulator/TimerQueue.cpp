#include "simulator/TimerQueue.h"

namespace pelmora::sim {

bool TimerQueue::push(std::int64_t dueMs, const sockaddr_in& to, std::string bytes) {
    if (heap_.size() >= capacity_) {
        return false;
    }
    heap_.push(DelayedDatagram{dueMs, nextOrder_++, to, std::move(bytes)});
    return true;
}

std::optional<std::int64_t> TimerQueue::nextDue() const {
    if (heap_.empty()) {
        return std::nullopt;
    }
    return heap_.top().dueMs;
}

std::vector<DelayedDatagram> TimerQueue::popDue(std::int64_t nowMs) {
    std::vector<DelayedDatagram> due;
    while (!heap_.empty() && heap_.top().dueMs <= nowMs) {
        due.push_back(heap_.top());
        heap_.pop();
    }
    return due;
}

}  // namespace pelmora::sim
