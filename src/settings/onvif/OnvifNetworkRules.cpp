#include "settings/onvif/OnvifNetworkRules.h"

#include "lan/LanDiagnosis.h"
#include "settings/network/NetworkChecks.h"

namespace pelmora {

std::optional<int> prefixOfMask(const Ipv4& mask) {
    const std::uint32_t bits = ipv4ToNumber(mask);
    const std::uint32_t inverted = ~bits;
    // Contiguous ones: the zeros below them, plus one, is a power of two.
    if ((inverted & (inverted + 1)) != 0) {
        return std::nullopt;
    }
    int prefix = 0;
    for (std::uint32_t b = bits; b != 0; b <<= 1) {
        ++prefix;
    }
    return prefix;
}

std::optional<std::string_view> checkOnvifNetworkChange(const onvif::OnvifCamera& camera,
                                                        const onvif::NetworkChange& change) {
    NetworkSettings settings;
    const bool dhcp = change.dhcp.value_or(camera.dhcp.value_or(false) && !change.ipAddress);
    const bool touched = change.dhcp || change.ipAddress || change.prefixLength || change.gateway;
    // Addressing left as it is is not judged again ("DHCP" to the checks: nothing to check).
    settings.dhcp = dhcp || !touched;
    if (!settings.dhcp) {
        settings.ipAddress = change.ipAddress.value_or(camera.ipAddress.value_or(Ipv4{}));
        settings.subnetMask =
            maskOfPrefix(change.prefixLength.value_or(camera.prefixLength.value_or(0)));
        const auto gateway = change.gateway ? change.gateway : camera.gateway;
        settings.gatewayBlank = !gateway || *gateway == Ipv4{};
        settings.gateway = gateway.value_or(Ipv4{});
    }
    if (change.httpPort && *change.httpPort != 80) {
        settings.webPort80 = false;
        settings.webPortText = std::to_string(*change.httpPort);
    }
    if (const auto refusal = refusalFor(checkNetworkSettings(settings))) {
        return refusal->message;
    }
    return std::nullopt;
}

std::optional<Ipv4> movedToAddress(const onvif::OnvifCamera& camera,
                                   const onvif::NetworkChange& change) {
    if (change.dhcp == true || !change.ipAddress) {
        return std::nullopt;
    }
    if (camera.dhcp == false && camera.ipAddress == change.ipAddress) {
        return std::nullopt;
    }
    return change.ipAddress;
}

std::optional<std::string> addressHolder(const Ipv4& address, const onvif::OnvifCamera& self,
                                         std::span<const onvif::OnvifCamera> cameras,
                                         std::span<const CameraAddressing> ours) {
    const auto sameDevice = [&](const std::optional<MacAddress>& mac) {
        return mac && self.mac && *mac == *self.mac;
    };
    for (const auto& other : cameras) {
        if (sameDevice(other.mac) || other.endpoint == self.endpoint) {
            continue;
        }
        if (other.ipAddress == address || other.answeredFrom == address) {
            return other.mac ? other.mac->text() : other.serviceAddress;
        }
    }
    for (const auto& camera : ours) {
        if (camera.ipAddress == address && !sameDevice(MacAddress::parse(camera.mac))) {
            return camera.mac;
        }
    }
    return std::nullopt;
}

nlohmann::ordered_json loggedNetworkChange(const onvif::NetworkChange& change) {
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
    if (change.dhcp) {
        settings["dhcp"] = *change.dhcp ? 1 : 0;
    }
    if (change.ipAddress) {
        settings["ipAddress"] = formatIpv4(*change.ipAddress);
    }
    if (change.prefixLength) {
        settings["subnetMask"] = formatIpv4(maskOfPrefix(*change.prefixLength));
    }
    if (change.gateway) {
        settings["gateway"] = formatIpv4(*change.gateway);
    }
    if (change.dnsFromDhcp) {
        settings["dnsAuto"] = *change.dnsFromDhcp ? 1 : 0;
    }
    for (std::size_t n = 0; n < change.dns.size(); ++n) {
        settings["dns" + std::to_string(n + 1)] = formatIpv4(change.dns[n]);
    }
    if (change.httpPort) {
        settings["webPort"] = *change.httpPort;
    }
    if (change.ntpFromDhcp == true) {
        settings["ntpServer"] = "DHCP";
    } else if (change.ntpServer) {
        settings["ntpServer"] = *change.ntpServer;
    }
    return settings;
}

}  // namespace pelmora
