#include "engine/InterfaceAddresses.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace pelmora {

std::vector<InterfaceAddress> interfaceAddresses() {
    std::vector<InterfaceAddress> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        InterfaceAddress address;
        address.name = entry->ifa_name;
        address.index = if_nametoindex(entry->ifa_name);
        address.address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
        if (entry->ifa_netmask != nullptr) {
            address.netmask = reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr;
        }
        address.flags = entry->ifa_flags;
        found.push_back(std::move(address));
    }
    freeifaddrs(list);
    return found;
}

}  // namespace pelmora
