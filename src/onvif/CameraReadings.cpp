#include "onvif/CameraReadings.h"

#include <algorithm>
#include <optional>

namespace pelmora::onvif {
namespace {

struct ServiceUrl {
    bool web = false;  // http or https
    std::optional<Ipv4> host;
};

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
               return p == (t >= 'A' && t <= 'Z' ? static_cast<char>(t - 'A' + 'a') : t);
           });
}

ServiceUrl inspect(std::string_view url) {
    ServiceUrl parsed;
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (startsWithNoCase(url, scheme)) {
            parsed.web = true;
            url.remove_prefix(scheme.size());
            break;
        }
    }
    if (parsed.web) {
        const auto authority = url.substr(0, url.find_first_of("/?#"));
        const auto host = authority.substr(authority.rfind('@') + 1);
        parsed.host = parseIpv4(host.substr(0, host.find(':')));
    }
    return parsed;
}

// The camera's own address, as far as this PC can tell.
std::optional<Ipv4> cameraAddress(const OnvifCamera& camera) {
    if (const auto host = inspect(camera.serviceAddress).host) {
        return host;
    }
    return camera.answeredFrom != Ipv4{} ? std::optional(camera.answeredFrom) : std::nullopt;
}

}  // namespace

std::string chooseServiceAddress(std::span<const std::string> xaddrs, const Ipv4& answeredFrom) {
    // Readings carry the credentials' digests: they go only to the device that answered, never
    // to another host a discovery answer names (any device on the LAN can answer a probe).
    for (const auto& xaddr : xaddrs) {
        const auto url = inspect(xaddr);
        if (url.web && url.host && (answeredFrom == Ipv4{} || *url.host == answeredFrom)) {
            return xaddr;
        }
    }
    return {};
}

std::chrono::seconds clockOffset(std::chrono::sys_seconds cameraUtc,
                                 std::chrono::system_clock::time_point sentAt,
                                 std::chrono::system_clock::time_point answeredAt) {
    const auto middle = sentAt + (answeredAt - sentAt) / 2;
    return std::chrono::round<std::chrono::seconds>(cameraUtc - middle);
}

void applyDeviceInformation(OnvifCamera& camera, const DeviceInformation& information) {
    camera.information = information;
}

void applyNetworkInterfaces(OnvifCamera& camera, const std::vector<NetworkInterface>& interfaces) {
    if (interfaces.empty()) {
        return;
    }
    const auto address = cameraAddress(camera);
    auto chosen = std::find_if(interfaces.begin(), interfaces.end(), [&](const auto& i) {
        const auto current = currentIpv4(i);
        return address && current && current->address == *address;
    });
    if (chosen == interfaces.end()) {
        chosen = std::find_if(interfaces.begin(), interfaces.end(),
                              [](const auto& i) { return i.enabled.value_or(true); });
    }
    if (chosen == interfaces.end()) {
        chosen = interfaces.begin();
    }
    camera.mac = chosen->hardwareAddress;
    camera.interfaceToken = chosen->token;
    camera.dhcp = chosen->dhcp;
    if (const auto current = currentIpv4(*chosen)) {
        camera.ipAddress = current->address;
        camera.prefixLength = current->prefixLength;
    }
}

void applyDefaultGateway(OnvifCamera& camera, const DefaultGateway& gateway) {
    if (!gateway.ipv4.empty()) {
        camera.gateway = gateway.ipv4.front();
    }
}

void applyDns(OnvifCamera& camera, const DnsInformation& dns) {
    camera.dnsAuto = dns.fromDhcp;
    const bool fromDhcp = dns.fromDhcp.value_or(dns.manual.empty());
    camera.dns = fromDhcp ? dns.dhcp : dns.manual;
}

void applyNetworkProtocols(OnvifCamera& camera, const std::vector<NetworkProtocol>& protocols) {
    for (const auto& protocol : protocols) {
        if (protocol.name == "HTTP" && protocol.enabled.value_or(true) && !protocol.ports.empty()) {
            camera.webPort = protocol.ports.front();
            return;
        }
    }
}

void applyScopes(OnvifCamera& camera, const std::vector<std::string>& scopes) {
    if (!scopes.empty()) {
        camera.scopes = scopes;
    }
}

}  // namespace pelmora::onvif
