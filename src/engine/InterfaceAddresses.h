#pragma once
// Every IPv4 address of this PC's interfaces, read once from the kernel: the one walk that the
// broadcast, the multicast probe and the LAN diagnosis each filter for what they need.

#include <netinet/in.h>

#include <optional>
#include <string>
#include <vector>

namespace pelmora {

struct InterfaceAddress {
    std::string name;
    unsigned index = 0;  // 0 when the name no longer maps to an interface
    in_addr address{};
    std::optional<in_addr> netmask;
    unsigned flags = 0;  // IFF_UP, IFF_LOOPBACK, IFF_BROADCAST, IFF_MULTICAST...
};

// In the kernel's order; empty when the kernel cannot be asked.
std::vector<InterfaceAddress> interfaceAddresses();

}  // namespace pelmora
