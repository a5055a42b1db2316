#include "engine/BroadcastInterfaces.h"

#include <net/if.h>

#include "engine/InterfaceAddresses.h"

namespace pelmora {

std::vector<BroadcastInterface> broadcastInterfaces() {
    std::vector<BroadcastInterface> found;
    for (const auto& entry : interfaceAddresses()) {
        if ((entry.flags & IFF_UP) == 0 || (entry.flags & IFF_LOOPBACK) != 0 ||
            (entry.flags & IFF_BROADCAST) == 0 || entry.index == 0) {
            continue;
        }
        found.push_back({entry.index, entry.address, entry.name});
    }
    return found;
}

}  // namespace pelmora
