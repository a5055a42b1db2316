#pragma once
// The interfaces a WS-Discovery probe leaves by: up, not loopback, multicast-capable, with an
// IPv4 address. A multicast datagram leaves by one interface only (the default route's, unless
// told otherwise), so cameras on the PC's other LANs would never hear a single probe.

#include <netinet/in.h>

#include <string>
#include <vector>

namespace pelmora::onvif {

struct MulticastInterface {
    unsigned index = 0;
    in_addr address{};  // the interface's first IPv4 address
    std::string name;
};

// One entry per interface, in the kernel's order.
std::vector<MulticastInterface> multicastInterfaces();

}  // namespace pelmora::onvif
