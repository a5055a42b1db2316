#include "engine/DiagnosticQueue.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace pelmora {
namespace {

// True when `fd` takes a write now. A pipe that reports POLLOUT has a free buffer page, so a
// line (far shorter than PIPE_BUF) goes in whole without blocking. A pipe without a reader
// reports POLLERR and is left alone: writing to it would raise SIGPIPE.
bool writable(int fd) {
    pollfd ready{fd, POLLOUT, 0};
    if (::poll(&ready, 1, 0) != 1) {
        return false;
    }
    return (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0 && (ready.revents & POLLOUT) != 0;
}

}  // namespace

DiagnosticQueue::DiagnosticQueue(std::function<void()> waiting, std::size_t capacity,
                                 std::function<Clock::time_point()> clock)
    : waiting_(std::move(waiting)),
      capacity_(std::max<std::size_t>(capacity, 1)),
      clock_(std::move(clock)),
      slots_(std::make_unique<Slot[]>(capacity_)) {}

void DiagnosticQueue::post(DiagnosticKind kind, std::string_view text) {
    const std::size_t length = std::min(text.size(), kLineBytes - 1);
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (count_ > 0 && DiagnosticRateLimit::limits(kind)) {
            auto& newest = slots_[(head_ + count_ - 1) % capacity_];
            if (newest.kind == kind && newest.length == length + 1 &&
                std::memcmp(newest.text, text.data(), length) == 0) {
                if (newest.repeats < std::numeric_limits<std::uint32_t>::max()) {
                    ++newest.repeats;
                }
                return;
            }
        }
        if (count_ == capacity_) {
            ++dropped_;
            ++slots_[(head_ + count_ - 1) % capacity_].droppedAfter;
            return;
        }
        auto& slot = slots_[(head_ + count_) % capacity_];
        std::memcpy(slot.text, text.data(), length);
        slot.text[length] = '\n';
        slot.length = static_cast<std::uint16_t>(length + 1);
        slot.written = 0;
        slot.kind = kind;
        slot.admitted = false;
        slot.repeats = 0;
        slot.droppedAfter = 0;
        wake = count_ == 0 && !holding_[static_cast<std::size_t>(kind)];
        ++count_;
    }
    if (wake && waiting_) {
        waiting_();
    }
}

bool DiagnosticQueue::writeSome(int fd, const char* text, std::size_t length,
                                std::size_t& written) {
    while (written < length) {
        if (!writable(fd)) {
            return false;
        }
        const auto result = ::write(fd, text + written, length - written);
        if (result < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    return true;
}

void DiagnosticQueue::updateHolding() {
    for (std::size_t kind = 0; kind < kDiagnosticKinds; ++kind) {
        holding_[kind] = limit_.holding(static_cast<DiagnosticKind>(kind));
    }
}

std::size_t DiagnosticQueue::drainTo(int fd, bool closing) {
    const auto now = clock_();
    for (;;) {
        // A kind's summary covers lines taken before any still queued, so it goes first; when
        // closing, the last summaries wait until the queue is empty and count all it held.
        if (summary_.length == 0) {
            summary_.length =
                limit_.takeSummary(now, false, summary_.text, sizeof summary_.text - 1);
            if (summary_.length == 0 && closing && size() == 0) {
                summary_.length =
                    limit_.takeSummary(now, true, summary_.text, sizeof summary_.text - 1);
            }
            updateHolding();
            if (summary_.length > 0) {
                summary_.text[summary_.length++] = '\n';
                summary_.written = 0;
            }
        }
        if (summary_.length > 0) {
            if (!writeSome(fd, summary_.text, summary_.length, summary_.written)) {
                return size();
            }
            summary_.length = 0;
            continue;
        }

        Slot* slot = nullptr;
        bool write = true;
        {
            std::lock_guard lock(mutex_);
            if (count_ == 0) {
                return 0;
            }
            slot = &slots_[head_];
            if (!slot->admitted) {
                slot->admitted = true;
                const std::uint64_t lines = 1 + std::uint64_t{slot->repeats};
                slot->repeats = 0;
                write = limit_.admit(slot->kind, {slot->text, slot->length - 1u}, lines, now);
                updateHolding();
            } else {
                write = slot->written < slot->length;
            }
        }
        // The oldest slot is not touched by posting threads (bar `repeats` and
        // `droppedAfter`, under the lock), so it is written without holding the lock.
        if (write) {
            std::size_t written = slot->written;
            const bool done = writeSome(fd, slot->text, slot->length, written);
            slot->written = static_cast<std::uint16_t>(written);
            if (!done) {
                return size();
            }
        }
        std::lock_guard lock(mutex_);
        if (slot->repeats > 0) {
            // Identical lines that came while this one was being written: counted, not written.
            limit_.admit(slot->kind, {slot->text, slot->length - 1u}, slot->repeats, now);
            slot->repeats = 0;
            updateHolding();
        }
        if (slot->droppedAfter > 0) {
            // The slot becomes the notice of what was dropped after its line; a notice is
            // never held back, nor folded into.
            const unsigned long count = slot->droppedAfter;
            const int length =
                std::snprintf(slot->text, kLineBytes, "Warning: %lu diagnostic %s dropped\n", count,
                              count == 1 ? "line" : "lines");
            slot->length = static_cast<std::uint16_t>(length);
            slot->written = 0;
            slot->kind = DiagnosticKind::Fatal;
            slot->admitted = true;
            slot->droppedAfter = 0;
            continue;
        }
        head_ = (head_ + 1) % capacity_;
        --count_;
    }
}

std::size_t DiagnosticQueue::size() const {
    std::lock_guard lock(mutex_);
    return count_;
}

std::uint64_t DiagnosticQueue::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace pelmora
