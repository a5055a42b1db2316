#include "plan/PlanSettings.h"

#include <string>

#include "settings/network/NetworkChecks.h"
#include "settings/network/NetworkRequest.h"

namespace pelmora {
namespace {

bool isZero(const Ipv4& a) {
    return a == Ipv4{};
}

}  // namespace

NetworkSettings currentSettings(const CameraRecord& record) {
    NetworkSettings s;
    s.dhcp = record.dhcp == 1;
    s.ipAddress = record.ipAddress;
    s.subnetMask = record.subnetMask;
    s.gateway = record.gateway;
    s.gatewayBlank = isZero(record.gateway);
    // Automatic DNS reported with a fixed address is shown as manual DNS.
    s.dnsAuto = record.dnsAuto == 1 && s.dhcp;
    if (!s.dnsAuto) {
        const Ipv4* servers[] = {&record.dns1, &record.dns2, &record.dns3, &record.dns4};
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            s.dns[n] = {*servers[n], isZero(*servers[n])};
        }
    }
    s.webPort80 = record.webPort == 80;
    s.webPortText = s.webPort80 ? std::string() : std::to_string(record.webPort);
    return s;
}

NetworkSettings plannedSettings(const CameraRecord& record, const PlanRow& row) {
    NetworkSettings s = currentSettings(record);
    if (row.dhcp) {
        s.dhcp = *row.dhcp;
    }
    if (row.ipAddress) {
        s.ipAddress = *row.ipAddress;
    }
    if (row.subnetMask) {
        s.subnetMask = *row.subnetMask;
    }
    if (row.gateway) {
        s.gateway = *row.gateway;
        s.gatewayBlank = isZero(*row.gateway);
    }
    if (row.dnsAuto) {
        s.dnsAuto = *row.dnsAuto;
    }
    s.dnsAuto = s.dnsAuto && s.dhcp;
    // A camera obtaining its DNS servers automatically reports them too, but the current
    // settings leave them out (the page greys them). Turned to manual DNS, it keeps them.
    const Ipv4* reported[] = {&record.dns1, &record.dns2, &record.dns3, &record.dns4};
    for (std::size_t n = 0; n < kDnsServers; ++n) {
        if (row.dns[n]) {
            s.dns[n] = {*row.dns[n], isZero(*row.dns[n])};
        } else if (!s.dnsAuto) {
            s.dns[n] = {*reported[n], isZero(*reported[n])};
        }
    }
    if (s.dnsAuto) {
        s.dns = {};
    }
    if (row.webPort) {
        s.webPort80 = *row.webPort == "80";
        s.webPortText = s.webPort80 ? std::string() : *row.webPort;
    }
    return s;
}

bool sameSettings(const NetworkSettings& a, const NetworkSettings& b) {
    // The port as the camera reports it back: a number, so "08080" and "8080" are one port.
    const auto port = [](const NetworkSettings& s) {
        return s.webPort80 ? 80 : webPortNumber(s.webPortText);
    };
    if (port(a) != port(b)) {
        return false;
    }
    NetworkSettings x = a;
    NetworkSettings y = b;
    x.webPort80 = y.webPort80 = true;
    x.webPortText.clear();
    y.webPortText.clear();
    return buildNetworkRequest("", "", "", x) == buildNetworkRequest("", "", "", y);
}

bool reportsPlanned(const NetworkSettings& reported, const NetworkSettings& planned) {
    NetworkSettings expected = planned;
    if (planned.dhcp) {
        expected.gateway = reported.gateway;
        expected.gatewayBlank = reported.gatewayBlank;
    }
    return sameSettings(reported, expected);
}

}  // namespace pelmora
