#pragma once
// Datagrams taken off the socket but not yet applied to the table. Receiving into the ring is
// several times faster than applying a reply, so during a burst the socket buffer is emptied
// into the ring as fast as the kernel fills it, and the table catches up from the ring.

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

#include "protocol/Wire.h"

namespace pelmora {

class ReceiveRing {
  public:
    static constexpr std::size_t kSlots = 1024;
    // Most datagrams one receive call takes.
    static constexpr std::size_t kBatch = 256;

    struct Datagram {
        std::string_view bytes;  // as received (not cut at NUL)
        bool oversize;           // longer than kMaxDatagram; `bytes` holds its start only
        int interfaceIndex;      // the interface it came in on (IP_PKTINFO); 0 when not known
    };

    ReceiveRing();

    // Receives what the socket holds without waiting, as far as there is room. Returns the
    // number taken (0 when the socket is empty or the ring full), or −1 with errno set. Each
    // datagram's interface is read from its IP_PKTINFO message, which the socket must ask for.
    int fill(int fd);

    bool empty() const { return count_ == 0; }
    bool full() const { return count_ == kSlots; }
    // The oldest datagram; valid until the next pop or fill.
    Datagram front() const;
    void pop();

  private:
    // Room for the one control message asked for.
    struct alignas(cmsghdr) Control {
        char bytes[CMSG_SPACE(sizeof(in_pktinfo))];
    };
    struct Storage {
        std::array<std::array<char, kMaxDatagram>, kSlots> data;
        std::array<unsigned, kSlots> length;
        std::array<bool, kSlots> oversize;
        std::array<int, kSlots> interfaceIndex;
        std::array<iovec, kBatch> iov;
        std::array<Control, kBatch> control;
        std::array<mmsghdr, kBatch> messages;
    };
    std::unique_ptr<Storage> storage_;
    std::size_t head_ = 0;  // oldest
    std::size_t count_ = 0;
};

}  // namespace pelmora
