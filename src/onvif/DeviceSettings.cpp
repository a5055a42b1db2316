#include "onvif/DeviceSettings.h"

#include <algorithm>
#include <cctype>

#include "onvif/ElementValues.h"
#include "onvif/Namespaces.h"
#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

constexpr std::size_t kMaxNameServers = 2;
constexpr std::size_t kMaxHostName = 253;

// <tt:NAME>VALUE</tt:NAME>, VALUE already safe to write.
std::string tt(std::string_view name, std::string_view value) {
    std::string element = "<tt:";
    element += name;
    element += '>';
    element += value;
    element += "</tt:";
    element += name;
    element += '>';
    return element;
}

std::string_view boolText(bool value) {
    return value ? "true" : "false";
}

// The operation's element around `inner`, declaring both prefixes it may use.
SettingRequest request(SettingOperation operation, std::string_view inner) {
    std::string content = "<tds:";
    content += operationName(operation);
    content += R"( xmlns:tds=")";
    content += ns::kDeviceWsdl;
    content += R"(" xmlns:tt=")";
    content += ns::kSchema;
    content += R"(">)";
    content += inner;
    content += "</tds:";
    content += operationName(operation);
    content += '>';
    return {operation, std::move(content)};
}

// Letters, digits and hyphens in dot-separated labels: a name a resolver takes, nothing else.
bool isHostName(std::string_view name) {
    if (name.empty() || name.size() > kMaxHostName || name.front() == '.' || name.back() == '.') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.';
    });
}

std::optional<SettingRequest> interfaceRequest(const OnvifCamera& camera,
                                               const NetworkChange& change, std::string* error) {
    if (!change.dhcp && !change.ipAddress && !change.prefixLength) {
        return std::nullopt;
    }
    const bool dhcp = change.dhcp.value_or(camera.dhcp.value_or(false) && !change.ipAddress);
    std::string ipv4 = tt("Enabled", "true");
    if (dhcp) {
        if (camera.dhcp == true) {
            return std::nullopt;
        }
    } else {
        const auto address = change.ipAddress ? change.ipAddress : camera.ipAddress;
        const auto prefix = change.prefixLength ? change.prefixLength : camera.prefixLength;
        if (!address || !prefix) {
            *error = "a fixed address needs the address and its subnet mask";
            return std::nullopt;
        }
        if (camera.dhcp == false && address == camera.ipAddress && prefix == camera.prefixLength) {
            return std::nullopt;
        }
        ipv4 += "<tt:Manual>" + tt("Address", formatIpv4(*address)) +
                tt("PrefixLength", std::to_string(*prefix)) + "</tt:Manual>";
    }
    ipv4 += tt("DHCP", boolText(dhcp));
    return request(SettingOperation::SetNetworkInterfaces,
                   "<tds:InterfaceToken>" + escapeXml(camera.interfaceToken) +
                       "</tds:InterfaceToken><tds:NetworkInterface>" + tt("Enabled", "true") +
                       tt("IPv4", ipv4) + "</tds:NetworkInterface>");
}

std::optional<SettingRequest> dnsRequest(const OnvifCamera& camera, const NetworkChange& change) {
    if (!change.dnsFromDhcp && change.dns.empty()) {
        return std::nullopt;
    }
    const bool fromDhcp = change.dnsFromDhcp.value_or(false);
    if (fromDhcp ? camera.dnsAuto == true : camera.dnsAuto == false && camera.dns == change.dns) {
        return std::nullopt;
    }
    std::string inner = "<tds:FromDHCP>" + std::string(boolText(fromDhcp)) + "</tds:FromDHCP>";
    if (!fromDhcp) {
        for (const Ipv4& server : change.dns) {
            inner += "<tds:DNSManual>" + tt("Type", "IPv4") +
                     tt("IPv4Address", formatIpv4(server)) + "</tds:DNSManual>";
        }
    }
    return request(SettingOperation::SetDNS, inner);
}

std::optional<SettingRequest> ntpRequest(const NetworkChange& change, std::string* error) {
    if (!change.ntpFromDhcp && !change.ntpServer) {
        return std::nullopt;
    }
    const bool fromDhcp = change.ntpFromDhcp.value_or(false);
    std::string inner = "<tds:FromDHCP>" + std::string(boolText(fromDhcp)) + "</tds:FromDHCP>";
    if (!fromDhcp && change.ntpServer) {
        const auto& server = *change.ntpServer;
        if (const auto address = parseIpv4(server)) {
            inner += "<tds:NTPManual>" + tt("Type", "IPv4") +
                     tt("IPv4Address", formatIpv4(*address)) + "</tds:NTPManual>";
        } else if (isHostName(server)) {
            inner +=
                "<tds:NTPManual>" + tt("Type", "DNS") + tt("DNSname", server) + "</tds:NTPManual>";
        } else {
            *error = "the time server is neither an address nor a host name";
            return std::nullopt;
        }
    }
    return request(SettingOperation::SetNTP, inner);
}

}  // namespace

std::string_view operationName(SettingOperation operation) {
    switch (operation) {
        case SettingOperation::SetNetworkInterfaces:
            return "SetNetworkInterfaces";
        case SettingOperation::SetNetworkDefaultGateway:
            return "SetNetworkDefaultGateway";
        case SettingOperation::SetDNS:
            return "SetDNS";
        case SettingOperation::SetNetworkProtocols:
            return "SetNetworkProtocols";
        case SettingOperation::SetNTP:
            return "SetNTP";
        case SettingOperation::SetSystemDateAndTime:
            return "SetSystemDateAndTime";
        case SettingOperation::SystemReboot:
            return "SystemReboot";
    }
    return "";
}

std::string soapAction(SettingOperation operation) {
    return std::string(ns::kDeviceWsdl) + "/" + std::string(operationName(operation));
}

std::optional<std::vector<SettingRequest>> networkRequests(const OnvifCamera& camera,
                                                           const NetworkChange& change,
                                                           std::string* error) {
    const auto refuse = [&](const char* why) {
        *error = why;
        return std::nullopt;
    };
    if (change.prefixLength && (*change.prefixLength < 0 || *change.prefixLength > 32)) {
        return refuse("the prefix length is not between 0 and 32");
    }
    if (change.httpPort && (*change.httpPort < 1 || *change.httpPort > 65535)) {
        return refuse("the HTTP port is not between 1 and 65535");
    }
    if (change.dns.size() > kMaxNameServers) {
        return refuse("at most two name servers can be set");
    }
    error->clear();
    std::vector<SettingRequest> requests;
    if (auto dns = dnsRequest(camera, change)) {
        requests.push_back(std::move(*dns));
    }
    if (auto ntp = ntpRequest(change, error)) {
        requests.push_back(std::move(*ntp));
    } else if (!error->empty()) {
        return std::nullopt;
    }
    if (change.gateway && *change.gateway != camera.gateway.value_or(Ipv4{})) {
        requests.push_back(request(
            SettingOperation::SetNetworkDefaultGateway,
            *change.gateway == Ipv4{}
                ? std::string{}
                : "<tds:IPv4Address>" + formatIpv4(*change.gateway) + "</tds:IPv4Address>"));
    }
    if (change.httpPort && change.httpPort != camera.webPort) {
        requests.push_back(
            request(SettingOperation::SetNetworkProtocols,
                    "<tds:NetworkProtocols>" + tt("Name", "HTTP") + tt("Enabled", "true") +
                        tt("Port", std::to_string(*change.httpPort)) + "</tds:NetworkProtocols>"));
    }
    const bool touchesInterface = change.dhcp || change.ipAddress || change.prefixLength;
    if (touchesInterface && camera.interfaceToken.empty()) {
        return refuse("the camera's network interface was not read");
    }
    if (auto interface = interfaceRequest(camera, change, error)) {
        requests.push_back(std::move(*interface));
    } else if (!error->empty()) {
        return std::nullopt;
    }
    return requests;
}

SettingRequest clockRequest(std::chrono::sys_seconds utc, std::string_view zone) {
    const auto day = std::chrono::floor<std::chrono::days>(utc);
    const std::chrono::year_month_day date{day};
    const std::chrono::hh_mm_ss time{utc - day};
    std::string inner =
        "<tds:DateTimeType>Manual</tds:DateTimeType>"
        "<tds:DaylightSavings>false</tds:DaylightSavings>";
    if (!zone.empty()) {
        inner += "<tds:TimeZone>" + tt("TZ", escapeXml(zone)) + "</tds:TimeZone>";
    }
    inner += "<tds:UTCDateTime>" +
             tt("Time", tt("Hour", std::to_string(time.hours().count())) +
                            tt("Minute", std::to_string(time.minutes().count())) +
                            tt("Second", std::to_string(time.seconds().count()))) +
             tt("Date", tt("Year", std::to_string(int(date.year()))) +
                            tt("Month", std::to_string(unsigned(date.month()))) +
                            tt("Day", std::to_string(unsigned(date.day())))) +
             "</tds:UTCDateTime>";
    return request(SettingOperation::SetSystemDateAndTime, inner);
}

SettingRequest rebootRequest() {
    return request(SettingOperation::SystemReboot, "");
}

std::string makeSettingEnvelope(const SettingRequest& request, const UsernameToken* token) {
    std::string envelope = R"(<?xml version="1.0" encoding="UTF-8"?><s:Envelope xmlns:s=")";
    envelope += ns::kSoap12;
    envelope += R"(">)";
    if (token != nullptr) {
        envelope += "<s:Header>" + securityHeader(*token) + "</s:Header>";
    }
    envelope += "<s:Body>" + request.content + "</s:Body></s:Envelope>";
    return envelope;
}

DeviceReply<bool> readRebootNeeded(std::string_view bytes) {
    return readDeviceReply<bool>(bytes, "SetNetworkInterfacesResponse", [](const XmlElement& r) {
        return boolOf(r.child(ns::kDeviceWsdl, "RebootNeeded")).value_or(false);
    });
}

DeviceReply<std::string> readRebootMessage(std::string_view bytes) {
    return readDeviceReply<std::string>(bytes, "SystemRebootResponse", [](const XmlElement& r) {
        return printableUtf8(textOf(r.child(ns::kDeviceWsdl, "Message")).value_or(""));
    });
}

DeviceReply<bool> readSettingAccepted(std::string_view bytes, SettingOperation operation) {
    return readDeviceReply<bool>(bytes, std::string(operationName(operation)) + "Response",
                                 [](const XmlElement&) { return true; });
}

}  // namespace pelmora::onvif
