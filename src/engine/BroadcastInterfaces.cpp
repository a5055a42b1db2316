#include "engine/BroadcastInterfaces.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace pelmora {

std::vector<BroadcastInterface> broadcastInterfaces() {
    std::vector<BroadcastInterface> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const unsigned flags = entry->ifa_flags;
        if ((flags & IFF_UP) == 0 || (flags & IFF_LOOPBACK) != 0 || (flags & IFF_BROADCAST) == 0) {
            continue;
        }
        const unsigned index = if_nametoindex(entry->ifa_name);
        if (index == 0) {
            continue;
        }
        found.push_back({index, reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr,
                         entry->ifa_name});
    }
    freeifaddrs(list);
    return found;
}

}  // namespace pelmora
