#include "engine/ReceiveRing.h"

#include <algorithm>
#include <cstring>

namespace pelmora {
namespace {

// The receiving interface from a datagram's IP_PKTINFO message; 0 when it carries none.
int arrivalInterface(msghdr& header) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO &&
            c->cmsg_len >= CMSG_LEN(sizeof(in_pktinfo))) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            return info.ipi_ifindex;
        }
    }
    return 0;
}

}  // namespace

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
        s.messages[i].msg_hdr.msg_control = s.control[i].bytes;
        s.messages[i].msg_hdr.msg_controllen = sizeof s.control[i].bytes;
    }
    const int received =
        ::recvmmsg(fd, s.messages.data(), static_cast<unsigned>(room), MSG_DONTWAIT, nullptr);
    if (received < 0) {
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
    for (int i = 0; i < received; ++i) {
        s.length[tail + i] = std::min<unsigned>(s.messages[i].msg_len, kMaxDatagram);
        s.oversize[tail + i] = (s.messages[i].msg_hdr.msg_flags & MSG_TRUNC) != 0;
        s.interfaceIndex[tail + i] = arrivalInterface(s.messages[i].msg_hdr);
    }
    count_ += static_cast<std::size_t>(received);
    return received;
}

ReceiveRing::Datagram ReceiveRing::front() const {
    return {{storage_->data[head_].data(), storage_->length[head_]},
            storage_->oversize[head_],
            storage_->interfaceIndex[head_]};
}

void ReceiveRing::pop() {
    head_ = (head_ + 1) % kSlots;
    --count_;
}

}  // namespace pelmora
