#include "engine/DiagnosticQueue.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

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

DiagnosticQueue::DiagnosticQueue(std::function<void()> waiting, std::size_t capacity)
    : waiting_(std::move(waiting)),
      capacity_(std::max<std::size_t>(capacity, 1)),
      slots_(std::make_unique<Slot[]>(capacity_)) {}

void DiagnosticQueue::post(DiagnosticKind, std::string_view text) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(mutex_);
        if (count_ == capacity_) {
            ++dropped_;
            ++slots_[(head_ + count_ - 1) % capacity_].droppedAfter;
            return;
        }
        auto& slot = slots_[(head_ + count_) % capacity_];
        const std::size_t length = std::min(text.size(), kLineBytes - 1);
        std::memcpy(slot.text, text.data(), length);
        slot.text[length] = '\n';
        slot.length = static_cast<std::uint16_t>(length + 1);
        slot.written = 0;
        slot.droppedAfter = 0;
        wasEmpty = count_ == 0;
        ++count_;
    }
    if (wasEmpty && waiting_) {
        waiting_();
    }
}

std::size_t DiagnosticQueue::drainTo(int fd) {
    for (;;) {
        Slot* slot = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (count_ == 0) {
                return 0;
            }
            slot = &slots_[head_];
        }
        // The oldest slot is not touched by posting threads (bar `droppedAfter`, under the
        // lock), so it is written without holding the lock.
        if (!writable(fd)) {
            return size();
        }
        const auto written = ::write(fd, slot->text + slot->written, slot->length - slot->written);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return size();
        }
        slot->written = static_cast<std::uint16_t>(slot->written + written);
        if (slot->written < slot->length) {
            continue;
        }
        std::lock_guard lock(mutex_);
        if (slot->droppedAfter > 0) {
            // The slot becomes the notice of what was dropped after its line.
            const unsigned long count = slot->droppedAfter;
            const int length =
                std::snprintf(slot->text, kLineBytes, "Error : %lu diagnostic %s dropped\n", count,
                              count == 1 ? "line" : "lines");
            slot->length = static_cast<std::uint16_t>(length);
            slot->written = 0;
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
