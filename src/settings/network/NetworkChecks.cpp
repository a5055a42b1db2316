#include "settings/network/NetworkChecks.h"

namespace pelmora {
namespace {

bool isIpAddressAllowed(const Ipv4& ip) {
    // Class A to C only (224 and up are multicast and reserved), 127 is loopback, and a last
    // octet of 0 is taken for a network address.
    return ip[0] >= 1 && ip[0] <= 223 && ip[0] != 127 && ip[3] != 0;
}

bool isMaskAllowed(const Ipv4& mask) {
    // Ones then only zeros: the zero bits plus one is a power of two (or 0 for no zero bits).
    const std::uint32_t zeros = ~ipv4ToNumber(mask);
    const bool contiguous = (zeros & (zeros + 1)) == 0;
    return mask[0] == 255 && mask[3] <= 252 && contiguous;
}

}  // namespace

NetworkVerdict checkNetworkAddresses(const NetworkSettings& s) {
    if (s.dhcp) {
        return NetworkVerdict::Valid;
    }
    if (!isIpAddressAllowed(s.ipAddress)) {
        return NetworkVerdict::IpAddressError;
    }
    if (!isMaskAllowed(s.subnetMask)) {
        return NetworkVerdict::SubnetMaskError;
    }
    const std::uint32_t ip = ipv4ToNumber(s.ipAddress);
    const std::uint32_t mask = ipv4ToNumber(s.subnetMask);
    const std::uint32_t host = ip & ~mask;
    if (host == 0 || host == ~mask) {
        return NetworkVerdict::SubnetMaskError;
    }
    if ((ip & mask) == (ipv4ToNumber(s.gateway) & mask) || s.gatewayBlank) {
        return NetworkVerdict::Valid;
    }
    return NetworkVerdict::GatewayError;
}

std::int32_t webPortNumber(std::string_view text) {
    if (text.size() > kMaxWebPortText) {
        return 0;
    }
    std::int32_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

NetworkVerdict checkWebPort(const NetworkSettings& s) {
    if (s.webPort80) {
        return NetworkVerdict::Valid;
    }
    const auto port = webPortNumber(s.webPortText);
    return port < 1024 || port > 65535 ? NetworkVerdict::PortError : NetworkVerdict::Valid;
}

NetworkVerdict checkNetworkSettings(const NetworkSettings& s) {
    const auto addresses = checkNetworkAddresses(s);
    return addresses != NetworkVerdict::Valid ? addresses : checkWebPort(s);
}

std::optional<NetworkRefusal> refusalFor(NetworkVerdict verdict) {
    switch (verdict) {
        case NetworkVerdict::Valid:
            return std::nullopt;
        case NetworkVerdict::IpAddressError:
            return NetworkRefusal{"IP address Error", NetworkField::IpAddress};
        case NetworkVerdict::SubnetMaskError:
            return NetworkRefusal{"Subnetmask Error", NetworkField::SubnetMask};
        case NetworkVerdict::GatewayError:
            return NetworkRefusal{"Gateway address Error", NetworkField::Gateway};
        case NetworkVerdict::PortError:
            return NetworkRefusal{"HTTP port No. Error", NetworkField::Unchanged};
    }
    return std::nullopt;
}

}  // namespace pelmora
