#pragma once
// The ONVIF cameras heard so far, one entry a device. Devices send each ProbeMatch more than
// once (UDP is repeated on purpose), answer on several interfaces, and announce themselves
// with Hello as well: every message naming the same endpoint reference is the same camera.
// Responders that are not cameras are never kept.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "onvif/DiscoveryMessage.h"

namespace pelmora::onvif {

// A hostile LAN may invent endpoints without end; past this many, new ones are not kept.
inline constexpr std::size_t kMaxDiscoveredDevices = 8192;

class DiscoveryCollector {
  public:
    enum class Change { None, Added, Updated, Removed };

    // A ProbeMatch or a Hello. A match with a higher MetadataVersion replaces what was known;
    // otherwise addresses, scopes and types it adds are merged in.
    Change add(const DiscoveryMatch& match);
    // A Bye.
    Change remove(std::string_view endpoint);
    // Every match of the message, as its kind says; the number of devices changed.
    std::size_t take(const DiscoveryMessage& message);

    // In the order first heard.
    const std::vector<DiscoveryMatch>& devices() const { return devices_; }

    // The key a device is known by: the endpoint address (a urn:uuid compared without regard
    // to case, as UUIDs are), or for a device that gives none, its first service address.
    static std::string endpointKey(const DiscoveryMatch& match);

  private:
    void reindex();

    std::vector<DiscoveryMatch> devices_;
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace pelmora::onvif
