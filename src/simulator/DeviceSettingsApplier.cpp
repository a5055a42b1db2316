#include "simulator/DeviceSettingsApplier.h"

#include "onvif/ElementValues.h"
#include "onvif/Namespaces.h"

namespace pelmora::sim {
namespace {

namespace ns = onvif::ns;
using onvif::SettingOperation;
using onvif::XmlElement;

constexpr std::size_t kMaxListed = 8;

std::optional<XmlElement> deviceChild(const std::optional<XmlElement>& parent,
                                      std::string_view name) {
    return parent ? parent->child(ns::kDeviceWsdl, name) : std::nullopt;
}

AppliedSetting accepted(SettingOperation operation, std::string inner = {}) {
    const std::string name = std::string(onvif::operationName(operation)) + "Response";
    return {true, "<tds:" + name + ">" + inner + "</tds:" + name + ">"};
}

AppliedSetting refused(std::string reason) {
    return {false, std::move(reason)};
}

AppliedSetting setInterface(const XmlElement& element, OnvifSimCamera& camera) {
    if (onvif::textOf(deviceChild(element, "InterfaceToken")) != "eth0") {
        return refused("Invalid interface token");
    }
    const auto ipv4 = onvif::schemaChild(deviceChild(element, "NetworkInterface"), "IPv4");
    const auto dhcp = onvif::boolOf(onvif::schemaChild(ipv4, "DHCP"));
    const auto manual = onvif::schemaChild(ipv4, "Manual");
    const auto address = onvif::ipv4Of(onvif::schemaChild(manual, "Address"));
    const auto prefix = onvif::intOf(onvif::schemaChild(manual, "PrefixLength"));
    if (dhcp == false && (!address || !prefix || *prefix < 1 || *prefix > 32)) {
        return refused("Invalid IPv4 address");
    }
    if (camera.restartsToReaddress) {
        OnvifSimCamera::Addressing pending{camera.dhcp, camera.ipAddress, camera.prefixLength};
        pending.dhcp = dhcp.value_or(pending.dhcp);
        if (address && prefix) {
            pending.address = *address;
            pending.prefixLength = *prefix;
        }
        camera.pendingAddressing = pending;
        return accepted(SettingOperation::SetNetworkInterfaces,
                        "<tds:RebootNeeded>true</tds:RebootNeeded>");
    }
    if (dhcp) {
        camera.dhcp = *dhcp;
    }
    if (address && prefix) {
        camera.ipAddress = *address;
        camera.prefixLength = *prefix;
    }
    // The new address is taken at once (the services stay where they are served): no restart.
    return accepted(SettingOperation::SetNetworkInterfaces,
                    "<tds:RebootNeeded>false</tds:RebootNeeded>");
}

AppliedSetting setGateway(const XmlElement& element, OnvifSimCamera& camera) {
    const auto gateway = onvif::ipv4Of(deviceChild(element, "IPv4Address"));
    camera.gateway = gateway.value_or(Ipv4{});
    return accepted(SettingOperation::SetNetworkDefaultGateway);
}

AppliedSetting setDns(const XmlElement& element, OnvifSimCamera& camera) {
    const auto fromDhcp = onvif::boolOf(deviceChild(element, "FromDHCP"));
    if (!fromDhcp) {
        return refused("FromDHCP missing");
    }
    camera.dnsFromDhcp = *fromDhcp;
    if (!*fromDhcp) {
        camera.dns.clear();
        for (const auto& server : element.children(ns::kDeviceWsdl, "DNSManual", kMaxListed)) {
            if (const auto address = onvif::ipv4Of(server.child(ns::kSchema, "IPv4Address"))) {
                camera.dns.push_back(*address);
            }
        }
    }
    return accepted(SettingOperation::SetDNS);
}

AppliedSetting setProtocols(const XmlElement& element, OnvifSimCamera& camera) {
    for (const auto& protocol : element.children(ns::kDeviceWsdl, "NetworkProtocols", kMaxListed)) {
        if (onvif::textOf(protocol.child(ns::kSchema, "Name")) == "HTTP") {
            const auto port = onvif::intOf(protocol.child(ns::kSchema, "Port"));
            if (!port || *port < 1 || *port > 65535) {
                return refused("Invalid port");
            }
            camera.webPort = *port;
        }
    }
    return accepted(SettingOperation::SetNetworkProtocols);
}

AppliedSetting setNtp(const XmlElement& element, OnvifSimCamera& camera) {
    const auto fromDhcp = onvif::boolOf(deviceChild(element, "FromDHCP"));
    const auto manual = deviceChild(element, "NTPManual");
    const auto address = onvif::ipv4Of(onvif::schemaChild(manual, "IPv4Address"));
    const auto name = onvif::textOf(onvif::schemaChild(manual, "DNSname"));
    camera.ntpServer = fromDhcp == true ? std::string{}
                       : address        ? formatIpv4(*address)
                                        : name.value_or("");
    return accepted(SettingOperation::SetNTP);
}

AppliedSetting setClock(const XmlElement& element, OnvifSimCamera& camera,
                        std::chrono::sys_seconds hostNow) {
    const auto utc = deviceChild(element, "UTCDateTime");
    const auto date = onvif::schemaChild(utc, "Date");
    const auto time = onvif::schemaChild(utc, "Time");
    const auto value = [](const std::optional<XmlElement>& parent, const char* name) {
        return onvif::intOf(onvif::schemaChild(parent, name)).value_or(-1);
    };
    const std::chrono::year_month_day day{std::chrono::year(value(date, "Year")),
                                          std::chrono::month(unsigned(value(date, "Month"))),
                                          std::chrono::day(unsigned(value(date, "Day")))};
    const int hour = value(time, "Hour");
    const int minute = value(time, "Minute");
    const int second = value(time, "Second");
    if (onvif::textOf(deviceChild(element, "DateTimeType")) == "Manual") {
        if (!day.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
            second > 60) {
            return refused("Invalid date and time");
        }
        const auto set = std::chrono::sys_days(day) + std::chrono::hours(hour) +
                         std::chrono::minutes(minute) + std::chrono::seconds(second);
        camera.clockOffset = set - hostNow;
    }
    if (const auto zone = onvif::textOf(onvif::schemaChild(deviceChild(element, "TimeZone"), "TZ"));
        zone && !zone->empty()) {
        camera.timeZone = *zone;
    }
    return accepted(SettingOperation::SetSystemDateAndTime);
}

}  // namespace

std::optional<SettingOperation> settingOperationNamed(const XmlElement& element) {
    if (element.namespaceUri() != ns::kDeviceWsdl) {
        return std::nullopt;
    }
    for (int i = 0; i <= static_cast<int>(SettingOperation::SystemReboot); ++i) {
        const auto operation = static_cast<SettingOperation>(i);
        if (element.localName() == onvif::operationName(operation)) {
            return operation;
        }
    }
    return std::nullopt;
}

AppliedSetting applySetting(SettingOperation operation, const XmlElement& element,
                            OnvifSimCamera& camera, std::chrono::sys_seconds hostNow) {
    switch (operation) {
        case SettingOperation::SetNetworkInterfaces:
            return setInterface(element, camera);
        case SettingOperation::SetNetworkDefaultGateway:
            return setGateway(element, camera);
        case SettingOperation::SetDNS:
            return setDns(element, camera);
        case SettingOperation::SetNetworkProtocols:
            return setProtocols(element, camera);
        case SettingOperation::SetNTP:
            return setNtp(element, camera);
        case SettingOperation::SetSystemDateAndTime:
            return setClock(element, camera, hostNow);
        case SettingOperation::SystemReboot:
            ++camera.restarts;
            if (camera.pendingAddressing) {
                camera.dhcp = camera.pendingAddressing->dhcp;
                camera.ipAddress = camera.pendingAddressing->address;
                camera.prefixLength = camera.pendingAddressing->prefixLength;
                camera.pendingAddressing.reset();
            }
            // Its services stay where they are served; the daemon keeps it silent a while.
            return accepted(operation, "<tds:Message>Rebooting in 30 seconds</tds:Message>");
    }
    return refused("Optional Action Not Implemented");
}

}  // namespace pelmora::sim
