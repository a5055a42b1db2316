#pragma once
// Datagrams waiting to be sent later (replies delayed by --jitter-ms), earliest first. Bounded,
// so a flood of enquiries cannot grow it without limit: past the capacity new entries are
// dropped, as a busy camera would drop them.

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <queue>
#include <string>
#include <vector>

namespace pelmora::sim {

struct DelayedDatagram {
    std::int64_t dueMs = 0;
    std::uint64_t order = 0;  // keeps entries with the same due time in arrival order
    sockaddr_in to{};
    std::string bytes;
};

class TimerQueue {
  public:
    explicit TimerQueue(std::size_t capacity) : capacity_(capacity) {}

    // False when the queue is full and the datagram was dropped.
    bool push(std::int64_t dueMs, const sockaddr_in& to, std::string bytes);
    std::optional<std::int64_t> nextDue() const;
    // Removes and returns every entry due at or before `nowMs`, earliest first.
    std::vector<DelayedDatagram> popDue(std::int64_t nowMs);
    std::size_t size() const { return heap_.size(); }

  private:
    struct Later {
        bool operator()(const DelayedDatagram& a, const DelayedDatagram& b) const {
            return a.dueMs != b.dueMs ? a.dueMs > b.dueMs : a.order > b.order;
        }
    };

    std::size_t capacity_;
    std::uint64_t nextOrder_ = 0;
    std::priority_queue<DelayedDatagram, std::vector<DelayedDatagram>, Later> heap_;
};

}  // namespace pelmora::sim
