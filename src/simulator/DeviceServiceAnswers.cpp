#include "simulator/DeviceServiceAnswers.h"

#include <cctype>
#include <charconv>

#include "onvif/Namespaces.h"
#include "onvif/XmlText.h"
#include "simulator/OnvifCameraFactory.h"

namespace pelmora::sim {
namespace {

namespace ns = onvif::ns;
using onvif::DeviceOperation;
using onvif::escapeXml;

std::string envelope(std::string_view body) {
    std::string out;
    out.reserve(body.size() + 400);
    out += R"(<?xml version="1.0" encoding="UTF-8"?>)";
    out += R"(<env:Envelope xmlns:env=")";
    out += ns::kSoap12;
    out += R"(" xmlns:tds=")";
    out += ns::kDeviceWsdl;
    out += R"(" xmlns:tt=")";
    out += ns::kSchema;
    out += R"(" xmlns:ter=")";
    out += ns::kError;
    out += R"("><env:Body>)";
    out += body;
    out += "</env:Body></env:Envelope>";
    return out;
}

// "<tt:NAME>VALUE</tt:NAME>", the value escaped.
std::string element(std::string_view name, std::string_view value) {
    return "<tt:" + std::string(name) + ">" + escapeXml(value) + "</tt:" + std::string(name) + ">";
}

std::string element(std::string_view name, long long value) {
    return element(name, std::to_string(value));
}

const char* boolText(bool value) {
    return value ? "true" : "false";
}

// Hours east of UTC of a fixed-offset POSIX TZ ("JST-9" is 9, "EST5" is −5).
int hoursEast(std::string_view timeZone) {
    const auto digits = timeZone.find_first_of("+-0123456789");
    int west = 0;
    if (digits != std::string_view::npos) {
        auto text = timeZone.substr(digits);
        if (text.front() == '+') {
            text.remove_prefix(1);
        }
        if (std::from_chars(text.data(), text.data() + text.size(), west).ec != std::errc{}) {
            west = 0;
        }
    }
    return -west;
}

std::string dateTime(std::string_view name, std::chrono::sys_seconds time) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    return "<tt:" + std::string(name) + "><tt:Time>" + element("Hour", clock.hours().count()) +
           element("Minute", clock.minutes().count()) + element("Second", clock.seconds().count()) +
           "</tt:Time><tt:Date>" + element("Year", static_cast<int>(date.year())) +
           element("Month", static_cast<unsigned>(date.month())) +
           element("Day", static_cast<unsigned>(date.day())) +
           "</tt:Date></tt:" + std::string(name) + ">";
}

std::string systemDateAndTime(const OnvifSimCamera& camera, std::chrono::sys_seconds now) {
    const auto local = now + std::chrono::hours(hoursEast(camera.timeZone));
    return "<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime>" +
           element("DateTimeType", camera.clockOffset.count() == 0 ? "NTP" : "Manual") +
           element("DaylightSavings", "false") + "<tt:TimeZone>" + element("TZ", camera.timeZone) +
           "</tt:TimeZone>" + dateTime("UTCDateTime", now) + dateTime("LocalDateTime", local) +
           "</tds:SystemDateAndTime></tds:GetSystemDateAndTimeResponse>";
}

std::string deviceInformation(const OnvifSimCamera& camera) {
    auto field = [](std::string_view name, std::string_view value) {
        return "<tds:" + std::string(name) + ">" + escapeXml(value) + "</tds:" + std::string(name) +
               ">";
    };
    return "<tds:GetDeviceInformationResponse>" + field("Manufacturer", camera.manufacturer) +
           field("Model", camera.model) + field("FirmwareVersion", camera.firmwareVersion) +
           field("SerialNumber", camera.serialNumber) + field("HardwareId", camera.hardwareId) +
           "</tds:GetDeviceInformationResponse>";
}

std::string lowerCase(std::string text) {
    for (auto& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string prefixedAddress(std::string_view name, const OnvifSimCamera& camera) {
    return "<tt:" + std::string(name) + ">" + element("Address", formatIpv4(camera.ipAddress)) +
           element("PrefixLength", camera.prefixLength) + "</tt:" + std::string(name) + ">";
}

std::string networkInterfaces(const OnvifSimCamera& camera) {
    // Many cameras write the MAC in lower case; clients show it in upper case.
    return R"(<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces token="eth0">)" +
           element("Enabled", "true") + "<tt:Info>" + element("Name", "eth0") +
           element("HwAddress", lowerCase(camera.mac)) + element("MTU", 1500) +
           "</tt:Info><tt:IPv4>" + element("Enabled", "true") + "<tt:Config>" +
           (camera.dhcp ? prefixedAddress("FromDHCP", camera) : prefixedAddress("Manual", camera)) +
           element("DHCP", boolText(camera.dhcp)) +
           "</tt:Config></tt:IPv4></tds:NetworkInterfaces></tds:GetNetworkInterfacesResponse>";
}

std::string defaultGateway(const OnvifSimCamera& camera) {
    std::string gateways;
    if (camera.gateway != Ipv4{}) {
        gateways = element("IPv4Address", formatIpv4(camera.gateway));
    }
    return "<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway>" + gateways +
           "</tds:NetworkGateway></tds:GetNetworkDefaultGatewayResponse>";
}

std::string dnsInformation(const OnvifSimCamera& camera) {
    std::string servers;
    const bool fromDhcp = camera.dnsFromDhcp.value_or(camera.dhcp);
    const char* kind = fromDhcp ? "DNSFromDHCP" : "DNSManual";
    for (const auto& server : camera.dns) {
        servers += std::string("<tt:") + kind + ">" + element("Type", "IPv4") +
                   element("IPv4Address", formatIpv4(server)) + "</tt:" + kind + ">";
    }
    return "<tds:GetDNSResponse><tds:DNSInformation>" + element("FromDHCP", boolText(fromDhcp)) +
           servers + "</tds:DNSInformation></tds:GetDNSResponse>";
}

std::string networkProtocols(const OnvifSimCamera& camera) {
    auto protocol = [](std::string_view name, bool enabled, int port) {
        return "<tds:NetworkProtocols>" + element("Name", name) +
               element("Enabled", boolText(enabled)) + element("Port", port) +
               "</tds:NetworkProtocols>";
    };
    return "<tds:GetNetworkProtocolsResponse>" + protocol("HTTP", true, camera.webPort != 0 ? camera.webPort : camera.httpPort) +
           protocol("HTTPS", false, 443) + protocol("RTSP", true, 554) +
           "</tds:GetNetworkProtocolsResponse>";
}

std::string scopes(const OnvifSimCamera& camera) {
    std::string out = "<tds:GetScopesResponse>";
    for (const auto& scope : onvifScopes(camera)) {
        out += "<tds:Scopes>" + element("ScopeDef", scope.fixed ? "Fixed" : "Configurable") +
               element("ScopeItem", scope.uri) + "</tds:Scopes>";
    }
    return out + "</tds:GetScopesResponse>";
}

}  // namespace

std::string operationResponse(DeviceOperation operation, const OnvifSimCamera& camera,
                              std::chrono::sys_seconds cameraNow) {
    switch (operation) {
        case DeviceOperation::GetSystemDateAndTime:
            return envelope(systemDateAndTime(camera, cameraNow));
        case DeviceOperation::GetDeviceInformation:
            return envelope(deviceInformation(camera));
        case DeviceOperation::GetNetworkInterfaces:
            return envelope(networkInterfaces(camera));
        case DeviceOperation::GetNetworkDefaultGateway:
            return envelope(defaultGateway(camera));
        case DeviceOperation::GetDNS:
            return envelope(dnsInformation(camera));
        case DeviceOperation::GetNetworkProtocols:
            return envelope(networkProtocols(camera));
        case DeviceOperation::GetScopes:
            return envelope(scopes(camera));
    }
    return envelope("");
}

std::string servicesResponse(std::string_view xaddr) {
    return envelope("<tds:GetServicesResponse><tds:Service><tds:Namespace>" +
                    std::string(ns::kDeviceWsdl) + "</tds:Namespace><tds:XAddr>" +
                    escapeXml(xaddr) + "</tds:XAddr><tds:Version>" + element("Major", 2) +
                    element("Minor", 60) +
                    "</tds:Version></tds:Service></tds:GetServicesResponse>");
}

std::string capabilitiesResponse(std::string_view xaddr) {
    return envelope("<tds:GetCapabilitiesResponse><tds:Capabilities><tt:Device>" +
                    element("XAddr", xaddr) +
                    "</tt:Device></tds:Capabilities></tds:GetCapabilitiesResponse>");
}

std::string soapFault(std::string_view code, std::string_view subcode, std::string_view reason) {
    std::string fault = "<env:Fault><env:Code><env:Value>" + std::string(code) + "</env:Value>";
    if (!subcode.empty()) {
        fault += "<env:Subcode><env:Value>" + std::string(subcode) + "</env:Value></env:Subcode>";
    }
    fault += R"(</env:Code><env:Reason><env:Text xml:lang="en">)" + escapeXml(reason) +
             "</env:Text></env:Reason></env:Fault>";
    return envelope(fault);
}

std::string responseEnvelope(std::string_view body) {
    return envelope(body);
}

}  // namespace pelmora::sim
