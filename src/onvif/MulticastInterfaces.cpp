#include "onvif/MulticastInterfaces.h"

#include <net/if.h>

#include <algorithm>

#include "engine/InterfaceAddresses.h"

namespace pelmora::onvif {

std::vector<MulticastInterface> multicastInterfaces() {
    std::vector<MulticastInterface> found;
    for (const auto& entry : interfaceAddresses()) {
        if ((entry.flags & IFF_UP) == 0 || (entry.flags & IFF_LOOPBACK) != 0 ||
            (entry.flags & IFF_MULTICAST) == 0 || entry.index == 0) {
            continue;
        }
        const bool known =
            std::any_of(found.begin(), found.end(),
                        [&](const MulticastInterface& i) { return i.index == entry.index; });
        if (!known) {
            found.push_back({entry.index, entry.address, entry.name});
        }
    }
    return found;
}

}  // namespace pelmora::onvif
