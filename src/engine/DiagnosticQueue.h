#pragma once
// Diagnostic lines on their way to an output that may not be read. Any thread posts a line
// into a fixed ring of fixed-size slots (allocated once, a copy under a small lock, no
// allocation per line); the owner's thread writes them out without ever waiting on the output.
// A line that finds the ring full is dropped and counted, and once the lines before it have
// been written a notice says how many were dropped there.
//
// Posting never waits on the output, so the receive thread keeps receiving, and stop keeps
// working, while standard output is a pipe nobody reads.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>

namespace pelmora {

// What a line reports; a per-kind rate limit would be applied where a line is posted.
enum class DiagnosticKind : std::uint8_t {
    OversizeDatagram,
    ReceiveFailed,
    SendFailed,
    Fatal,
};

class DiagnosticQueue {
  public:
    static constexpr std::size_t kCapacity = 256;
    // Bytes a slot holds, the newline included; a longer line is cut.
    static constexpr std::size_t kLineBytes = 128;

    // `waiting` is called, on the posting thread and outside the lock, when a line arrives in
    // an empty queue: the owner should drain soon. It must not wait.
    explicit DiagnosticQueue(std::function<void()> waiting = {}, std::size_t capacity = kCapacity);
    DiagnosticQueue(const DiagnosticQueue&) = delete;
    DiagnosticQueue& operator=(const DiagnosticQueue&) = delete;

    // Queues `text` followed by a newline. Any thread.
    void post(DiagnosticKind kind, std::string_view text);

    // Writes queued lines to `fd` in order for as long as it takes them without blocking: each
    // write is preceded by poll(POLLOUT, 0), and the descriptor's own flags are left alone (it
    // is shared with other processes). A line that cannot be written now stays queued. One
    // thread only. Returns the number of lines still queued.
    std::size_t drainTo(int fd);

    std::size_t size() const;
    // Lines dropped for want of room since the queue was made.
    std::uint64_t dropped() const;

  private:
    struct Slot {
        char text[kLineBytes];
        std::uint16_t length;
        // Bytes of `text` already written; only the draining thread touches it.
        std::uint16_t written;
        // Lines dropped while this was the newest line; written as a notice after it.
        std::uint32_t droppedAfter;
    };

    std::function<void()> waiting_;
    const std::size_t capacity_;
    std::unique_ptr<Slot[]> slots_;
    mutable std::mutex mutex_;
    std::size_t head_ = 0;  // oldest
    std::size_t count_ = 0;
    std::uint64_t dropped_ = 0;
};

}  // namespace pelmora
