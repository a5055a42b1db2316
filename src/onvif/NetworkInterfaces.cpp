#include "onvif/NetworkInterfaces.h"

#include "onvif/ElementValues.h"
#include "onvif/Namespaces.h"

namespace pelmora::onvif {
namespace {

constexpr std::size_t kBareMacLength = 12;

std::optional<PrefixedIpv4> prefixedOf(const std::optional<XmlElement>& element) {
    const auto address = ipv4Of(schemaChild(element, "Address"));
    if (!address) {
        return std::nullopt;
    }
    PrefixedIpv4 prefixed{*address, intOf(schemaChild(element, "PrefixLength"))};
    if (prefixed.prefixLength && (*prefixed.prefixLength < 0 || *prefixed.prefixLength > 32)) {
        prefixed.prefixLength.reset();
    }
    return prefixed;
}

NetworkInterface readInterface(const XmlElement& element) {
    NetworkInterface read;
    read.token = element.attribute("token").value_or("");
    read.enabled = boolOf(element.child(ns::kSchema, "Enabled"));
    const auto info = element.child(ns::kSchema, "Info");
    read.name = textOf(schemaChild(info, "Name"));
    if (const auto hardware = textOf(schemaChild(info, "HwAddress"))) {
        read.hardwareAddress = readHardwareAddress(*hardware);
    }
    const auto ipv4 = element.child(ns::kSchema, "IPv4");
    read.ipv4Enabled = boolOf(schemaChild(ipv4, "Enabled"));
    const auto config = schemaChild(ipv4, "Config");
    read.dhcp = boolOf(schemaChild(config, "DHCP"));
    if (config) {
        for (const auto& manual : config->children(ns::kSchema, "Manual", kMaxManualAddresses)) {
            if (const auto address = prefixedOf(manual)) {
                read.manual.push_back(*address);
            }
        }
    }
    read.fromDhcp = prefixedOf(schemaChild(config, "FromDHCP"));
    read.linkLocal = prefixedOf(schemaChild(config, "LinkLocal"));
    return read;
}

}  // namespace

std::optional<MacAddress> readHardwareAddress(std::string_view text) {
    if (text.size() != kBareMacLength) {
        return MacAddress::parse(text);
    }
    std::string joined;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        if (i > 0) {
            joined += ':';
        }
        joined += text.substr(i, 2);
    }
    return MacAddress::parse(joined);
}

DeviceReply<std::vector<NetworkInterface>> readNetworkInterfaces(std::string_view bytes) {
    return readDeviceReply<std::vector<NetworkInterface>>(
        bytes, "GetNetworkInterfacesResponse", [](const XmlElement& response) {
            std::vector<NetworkInterface> interfaces;
            for (const auto& element :
                 response.children(ns::kDeviceWsdl, "NetworkInterfaces", kMaxInterfaces)) {
                interfaces.push_back(readInterface(element));
            }
            return interfaces;
        });
}

std::optional<PrefixedIpv4> currentIpv4(const NetworkInterface& interface) {
    if (interface.dhcp.value_or(false)) {
        return interface.fromDhcp;
    }
    if (!interface.manual.empty()) {
        return interface.manual.front();
    }
    // DHCP said neither on nor off: an address it gave is still the one in use.
    return interface.dhcp ? std::nullopt : interface.fromDhcp;
}

}  // namespace pelmora::onvif
