#include "onvif/MulticastInterfaces.h"

#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>

namespace pelmora::onvif {

std::vector<MulticastInterface> multicastInterfaces() {
    std::vector<MulticastInterface> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const unsigned flags = entry->ifa_flags;
        if ((flags & IFF_UP) == 0 || (flags & IFF_LOOPBACK) != 0 || (flags & IFF_MULTICAST) == 0) {
            continue;
        }
        const unsigned index = if_nametoindex(entry->ifa_name);
        const bool known =
            std::any_of(found.begin(), found.end(),
                        [&](const MulticastInterface& i) { return i.index == index; });
        if (index == 0 || known) {
            continue;
        }
        found.push_back({index, reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr,
                         entry->ifa_name});
    }
    freeifaddrs(list);
    return found;
}

}  // namespace pelmora::onvif
