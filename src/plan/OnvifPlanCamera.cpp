#include "plan/OnvifPlanCamera.h"

#include <algorithm>

#include "lan/LanDiagnosis.h"
#include "model/FixedText.h"
#include "settings/network/NetworkChecks.h"
#include "settings/onvif/OnvifNetworkRules.h"

namespace pelmora {

bool plannable(const onvif::OnvifCamera& camera) {
    return camera.mac && !camera.interfaceToken.empty() && camera.ipAddress && camera.prefixLength;
}

CameraRecord planRecordOf(const onvif::OnvifCamera& camera) {
    CameraRecord record{};
    if (camera.mac) {
        copyField(record.mac, camera.mac->text());
    }
    copyField(record.model, camera.information.model.value_or(""));
    record.dhcp = camera.dhcp.value_or(false) ? 1 : 0;
    record.ipAddress = camera.ipAddress.value_or(Ipv4{});
    record.subnetMask =
        camera.prefixLength ? maskOfPrefix(std::clamp(*camera.prefixLength, 0, 32)) : Ipv4{};
    record.gateway = camera.gateway.value_or(Ipv4{});
    record.dnsAuto = camera.dnsAuto.value_or(false) ? 1 : 0;
    Ipv4* servers[] = {&record.dns1, &record.dns2, &record.dns3, &record.dns4};
    for (std::size_t n = 0; n < kDnsServers && n < camera.dns.size(); ++n) {
        *servers[n] = camera.dns[n];
    }
    record.webPort = camera.webPort.value_or(80);
    return record;
}

namespace {

int portOf(const NetworkSettings& s) {
    return s.webPort80 ? 80 : webPortNumber(s.webPortText);
}

std::vector<Ipv4> serversOf(const NetworkSettings& s) {
    std::vector<Ipv4> servers;
    for (const auto& entry : s.dns) {
        if (!entry.blank) {
            servers.push_back(entry.address);
        }
    }
    return servers;
}

}  // namespace

onvif::NetworkChange onvifPlanChange(const NetworkSettings& current,
                                     const NetworkSettings& planned) {
    onvif::NetworkChange change;
    if (planned.dhcp != current.dhcp ||
        (!planned.dhcp &&
         (planned.ipAddress != current.ipAddress || planned.subnetMask != current.subnetMask))) {
        change.dhcp = planned.dhcp;
        if (!planned.dhcp) {
            change.ipAddress = planned.ipAddress;
            // A mask with a gap has no prefix: the page's checks refuse it before this is sent.
            change.prefixLength = prefixOfMask(planned.subnetMask).value_or(-1);
        }
    }
    if (planned.gatewayBlank != current.gatewayBlank ||
        (!planned.gatewayBlank && planned.gateway != current.gateway)) {
        change.gateway = planned.gatewayBlank ? Ipv4{} : planned.gateway;
    }
    if (planned.dnsAuto != current.dnsAuto || serversOf(planned) != serversOf(current)) {
        change.dnsFromDhcp = planned.dnsAuto;
        if (!planned.dnsAuto) {
            change.dns = serversOf(planned);
        }
    }
    if (portOf(planned) != portOf(current)) {
        change.httpPort = portOf(planned);
    }
    return change;
}

}  // namespace pelmora
