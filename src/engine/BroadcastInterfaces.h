#pragma once
// The interfaces a limited broadcast should leave by: up, not loopback, broadcast-capable, with
// an IPv4 address. A plain sendto to 255.255.255.255 leaves only by the default route's
// interface (and fails without a default route), so cameras on another LAN would be missed.

#include <netinet/in.h>

#include <string>
#include <vector>

namespace pelmora {

struct BroadcastInterface {
    unsigned index = 0;
    in_addr address{};
    std::string name;
};

std::vector<BroadcastInterface> broadcastInterfaces();

}  // namespace pelmora
