#pragma once
// Diagnostic lines on their way to an output that may not be read. Any thread posts a line
// into a fixed ring of fixed-size slots (allocated once, a copy under a small lock, no
// allocation per line); the owner's thread writes them out without ever waiting on the output.
// A line that finds the ring full is dropped and counted, and once the lines before it have
// been written a notice says how many were dropped there.
//
// Posting never waits on the output, so the receive thread keeps receiving, and stop keeps
// working, while standard output is a pipe nobody reads.
//
// The writing side limits the rate per kind (DiagnosticRateLimit). A line of a limited kind
// that repeats the newest queued one only counts up that slot, so a flood of one kind holds a
// single slot and never crowds out other lines.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>

#include "engine/DiagnosticKind.h"
#include "engine/DiagnosticRateLimit.h"

namespace pelmora {

class DiagnosticQueue {
  public:
    static constexpr std::size_t kCapacity = 256;
    // Bytes a slot holds, the newline included; a longer line is cut.
    static constexpr std::size_t kLineBytes = 128;
    using Clock = DiagnosticRateLimit::Clock;

    // `waiting` is called, on the posting thread and outside the lock, when a line arrives in
    // an empty queue and will be written: the owner should drain soon. It must not wait.
    // `clock` tells the writing side the time for the rate limit.
    explicit DiagnosticQueue(std::function<void()> waiting = {}, std::size_t capacity = kCapacity,
                             std::function<Clock::time_point()> clock = Clock::now);
    DiagnosticQueue(const DiagnosticQueue&) = delete;
    DiagnosticQueue& operator=(const DiagnosticQueue&) = delete;

    // Queues `text` followed by a newline. Any thread.
    void post(DiagnosticKind kind, std::string_view text);

    // Writes queued lines to `fd` in order for as long as it takes them without blocking: each
    // write is preceded by poll(POLLOUT, 0), and the descriptor's own flags are left alone (it
    // is shared with other processes). A line that cannot be written now stays queued; lines
    // the rate limit holds back are counted and let go, and a kind's summary is written when
    // its period is over. `closing`: the output ends now, so the counts still held are written
    // too. One thread only. Returns the number of lines still queued.
    std::size_t drainTo(int fd, bool closing = false);

    std::size_t size() const;
    // Lines dropped for want of room since the queue was made.
    std::uint64_t dropped() const;

  private:
    struct Slot {
        char text[kLineBytes];
        std::uint16_t length;
        // Bytes of `text` already written; only the draining thread touches it.
        std::uint16_t written;
        DiagnosticKind kind;
        // The rate limit has seen the line; only the draining thread touches it.
        bool admitted;
        // Further identical lines folded into this slot and not yet counted.
        std::uint32_t repeats;
        // Lines dropped while this was the newest line; written as a notice after it.
        std::uint32_t droppedAfter;
    };
    // A summary line on its way out; only the draining thread touches it.
    struct Pending {
        char text[kLineBytes + 48];
        std::size_t length = 0;
        std::size_t written = 0;
    };

    bool writeSome(int fd, const char* text, std::size_t length, std::size_t& written);
    void updateHolding();

    std::function<void()> waiting_;
    const std::size_t capacity_;
    std::function<Clock::time_point()> clock_;
    std::unique_ptr<Slot[]> slots_;
    mutable std::mutex mutex_;
    std::size_t head_ = 0;  // oldest
    std::size_t count_ = 0;
    std::uint64_t dropped_ = 0;
    DiagnosticRateLimit limit_;
    Pending summary_;
    // Mirrors the rate limit for the posting side: a held kind's lines wake nobody, the next
    // regular drain counts them.
    std::atomic<bool> holding_[kDiagnosticKinds] = {};
};

}  // namespace pelmora
