// Any datagram a device on the LAN may send to the discovery port, through the reader and the
// collector that keeps one camera per device.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "onvif/DiscoveryCollector.h"
#include "onvif/DiscoveryMessage.h"
#include "onvif/DiscoveryScopes.h"

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pelmora::onvif;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto message = readDiscoveryMessage(bytes);
    check(message.matches.size() <= kMaxMatchesPerMessage);
    check(message.refusal == XmlRefusal::None || message.kind == DiscoveryKind::Other);
    std::size_t seen = 0;
    for (const auto& match : message.matches) {
        check(match.types.size() <= kMaxTypes && match.scopes.size() <= kMaxScopes &&
              match.xaddrs.size() <= kMaxXAddrs);
        for (const char* category : {"name", "hardware", "location"}) {
            seen += scopeValues(match.scopes, category).size();
        }
    }

    // The same message twice is one change at most, whatever it holds.
    DiscoveryCollector collector;
    const auto first = collector.take(message);
    check(collector.take(message) <= first || message.kind == DiscoveryKind::Bye);
    check(collector.devices().size() <= message.matches.size());
    for (const auto& device : collector.devices()) {
        check(isOnvifCamera(device.types));
    }
    return seen > 0 ? 0 : 0;
}
