#include "onvif/DeviceReplies.h"

#include "onvif/ElementValues.h"
#include "onvif/Namespaces.h"

namespace pelmora::onvif {
namespace {

constexpr std::size_t kMaxScopeItems = 64;

// A tt:DateTime as a point in time; nothing for a date or time that does not exist.
std::optional<std::chrono::sys_seconds> timePointOf(const std::optional<XmlElement>& dateTime) {
    using namespace std::chrono;
    const auto date = schemaChild(dateTime, "Date");
    const auto time = schemaChild(dateTime, "Time");
    const auto y = intOf(schemaChild(date, "Year"));
    const auto mo = intOf(schemaChild(date, "Month"));
    const auto d = intOf(schemaChild(date, "Day"));
    const auto h = intOf(schemaChild(time, "Hour"));
    const auto mi = intOf(schemaChild(time, "Minute"));
    const auto s = intOf(schemaChild(time, "Second"));
    if (!y || !mo || !d || !h || !mi || !s) {
        return std::nullopt;
    }
    // Months and days are checked before they are narrowed to the calendar's types.
    if (*y < 1 || *y > 9999 || *mo < 1 || *mo > 12 || *d < 1 || *d > 31) {
        return std::nullopt;
    }
    const year_month_day day{year{*y}, month{static_cast<unsigned>(*mo)},
                             std::chrono::day{static_cast<unsigned>(*d)}};
    // A leap second (60) is allowed, as UTC has them.
    if (!day.ok() || *h < 0 || *h > 23 || *mi < 0 || *mi > 59 || *s < 0 || *s > 60) {
        return std::nullopt;
    }
    return sys_days{day} + hours{*h} + minutes{*mi} + seconds{*s};
}

std::vector<Ipv4> ipv4List(const XmlElement& parent, std::string_view ns, std::string_view name) {
    std::vector<Ipv4> addresses;
    for (const auto& element : parent.children(ns, name, kMaxAddresses)) {
        if (const auto address = ipv4Of(element)) {
            addresses.push_back(*address);
        }
    }
    return addresses;
}

// tt:IPAddress entries; those of IPv6 are left out (the type says which, the address shows it).
std::vector<Ipv4> dnsServers(const XmlElement& information, std::string_view name) {
    std::vector<Ipv4> servers;
    for (const auto& entry : information.children(ns::kSchema, name, kMaxAddresses)) {
        if (const auto address = ipv4Of(entry.child(ns::kSchema, "IPv4Address"))) {
            servers.push_back(*address);
        }
    }
    return servers;
}

}  // namespace

DeviceReply<DeviceClock> readSystemDateAndTime(std::string_view bytes) {
    return readDeviceReply<DeviceClock>(
        bytes, "GetSystemDateAndTimeResponse", [](const XmlElement& response) {
            const auto system = response.child(ns::kDeviceWsdl, "SystemDateAndTime");
            DeviceClock clock;
            clock.utc = timePointOf(schemaChild(system, "UTCDateTime"));
            clock.dateTimeType = textOf(schemaChild(system, "DateTimeType"));
            clock.timeZone = textOf(schemaChild(schemaChild(system, "TimeZone"), "TZ"));
            return clock;
        });
}

DeviceReply<DeviceInformation> readDeviceInformation(std::string_view bytes) {
    return readDeviceReply<DeviceInformation>(
        bytes, "GetDeviceInformationResponse", [](const XmlElement& response) {
            const auto field = [&](std::string_view name) {
                return textOf(response.child(ns::kDeviceWsdl, name));
            };
            return DeviceInformation{field("Manufacturer"), field("Model"),
                                     field("FirmwareVersion"), field("SerialNumber"),
                                     field("HardwareId")};
        });
}

DeviceReply<DefaultGateway> readNetworkDefaultGateway(std::string_view bytes) {
    return readDeviceReply<DefaultGateway>(
        bytes, "GetNetworkDefaultGatewayResponse", [](const XmlElement& response) {
            DefaultGateway gateway;
            if (const auto element = response.child(ns::kDeviceWsdl, "NetworkGateway")) {
                gateway.ipv4 = ipv4List(*element, ns::kSchema, "IPv4Address");
            }
            return gateway;
        });
}

DeviceReply<DnsInformation> readDns(std::string_view bytes) {
    return readDeviceReply<DnsInformation>(bytes, "GetDNSResponse", [](const XmlElement& response) {
        DnsInformation dns;
        if (const auto information = response.child(ns::kDeviceWsdl, "DNSInformation")) {
            dns.fromDhcp = boolOf(information->child(ns::kSchema, "FromDHCP"));
            dns.manual = dnsServers(*information, "DNSManual");
            dns.dhcp = dnsServers(*information, "DNSFromDHCP");
        }
        return dns;
    });
}

DeviceReply<std::vector<NetworkProtocol>> readNetworkProtocols(std::string_view bytes) {
    return readDeviceReply<std::vector<NetworkProtocol>>(
        bytes, "GetNetworkProtocolsResponse", [](const XmlElement& response) {
            std::vector<NetworkProtocol> protocols;
            for (const auto& element :
                 response.children(ns::kDeviceWsdl, "NetworkProtocols", kMaxProtocols)) {
                NetworkProtocol protocol;
                protocol.name = textOf(element.child(ns::kSchema, "Name")).value_or("");
                protocol.enabled = boolOf(element.child(ns::kSchema, "Enabled"));
                for (const auto& port : element.children(ns::kSchema, "Port", kMaxPorts)) {
                    const auto number = intOf(port);
                    if (number && *number > 0 && *number <= 65535) {
                        protocol.ports.push_back(static_cast<std::uint16_t>(*number));
                    }
                }
                protocols.push_back(std::move(protocol));
            }
            return protocols;
        });
}

DeviceReply<std::vector<std::string>> readScopes(std::string_view bytes) {
    return readDeviceReply<std::vector<std::string>>(
        bytes, "GetScopesResponse", [](const XmlElement& response) {
            std::vector<std::string> scopes;
            for (const auto& scope : response.children(ns::kDeviceWsdl, "Scopes", kMaxScopeItems)) {
                auto item = textOf(scope.child(ns::kSchema, "ScopeItem"));
                if (item && !item->empty()) {
                    scopes.push_back(std::move(*item));
                }
            }
            return scopes;
        });
}

}  // namespace pelmora::onvif
