#pragma once
// Writing Network page forms in tests: addresses as dotted text, "" for a blank field.

#include <string_view>

#include "protocol/KeyReader.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora::test {

inline Ipv4 address(std::string_view dotted) {
    return readDottedAddress(dotted);
}

// A fixed address with manual DNS (the only DNS choice that goes with it), all DNS fields blank
// and port 80.
inline NetworkSettings fixedAddress(std::string_view ip, std::string_view mask,
                                    std::string_view gateway) {
    NetworkSettings s;
    s.dhcp = false;
    s.ipAddress = address(ip);
    s.subnetMask = address(mask);
    s.gatewayBlank = gateway.empty();
    s.gateway = address(gateway);
    s.dnsAuto = false;
    return s;
}

inline DnsEntry dnsServer(std::string_view dotted) {
    return {address(dotted), dotted.empty()};
}

}  // namespace pelmora::test
