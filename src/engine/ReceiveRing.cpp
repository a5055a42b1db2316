#include "engine/ReceiveRing.h"

#include <algorithm>

namespace pelmora {

ReceiveRing::ReceiveRing() : storage_(std::make_unique<Storage>()) {}

int ReceiveRing::fill(int fd) {
    // Free slots from the tail up to the end of the array (a wrapped tail is filled next call).
    const std::size_t tail = (head_ + count_) % kSlots;
    const std::size_t room = std::min({kSlots - count_, kSlots - tail, kBatch});
    if (room == 0) {
        return 0;
    }
    auto& s = *storage_;
    for (std::size_t i = 0; i < room; ++i) {
        s.iov[i] = {s.data[tail + i].data(), kMaxDatagram};
        s.messages[i] = {};
        s.messages[i].msg_hdr.msg_iov = &s.iov[i];
        s.messages[i].msg_hdr.msg_iovlen = 1;
    }
    const int received =
        ::recvmmsg(fd, s.messages.data(), static_cast<unsigned>(room), MSG_DONTWAIT, nullptr);
    if (received < 0) {
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
    for (int i = 0; i < received; ++i) {
        s.length[tail + i] = std::min<unsigned>(s.messages[i].msg_len, kMaxDatagram);
        s.oversize[tail + i] = (s.messages[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
    }
    count_ += static_cast<std::size_t>(received);
    return received;
}

ReceiveRing::Datagram ReceiveRing::front() const {
    return {{storage_->data[head_].data(), storage_->length[head_]}, storage_->oversize[head_]};
}

void ReceiveRing::pop() {
    head_ = (head_ + 1) % kSlots;
    --count_;
}

}  // namespace pelmora
