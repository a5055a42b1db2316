#include "settings/network/NetworkRequest.h"

#include "protocol/SettingRequest.h"

namespace pelmora {

std::string buildNetworkRequest(std::string_view mac, std::string_view name,
                                std::string_view password, const NetworkSettings& s) {
    static constexpr std::string_view kDnsKeys[kDnsServers] = {"DNS1:", "DNS2:", "DNS3:", "DNS4:"};
    SettingRequest request(mac);
    request.credentials(name, password);
    if (s.dhcp) {
        // A DHCP request never carries an address or a mask, whatever the disabled fields show.
        request.field("DHCP:", "ON");
    } else {
        request.field("DHCP:", "OFF")
            .field("IPADR:", formatIpv4(s.ipAddress))
            .field("MASK:", formatIpv4(s.subnetMask));
    }
    if (!s.gatewayBlank) {
        request.field("GATEWAY:", formatIpv4(s.gateway));
    }
    if (s.dnsAuto) {
        request.field("DNSAUTO:", "ON");
    } else {
        request.field("DNSAUTO:", "OFF");
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            if (!s.dns[n].blank) {
                request.field(kDnsKeys[n], formatIpv4(s.dns[n].address));
            }
        }
    }
    // Leading zeros travel as typed ("08080"); the camera reads the number.
    request.field("WEBPORT:", s.webPort80 ? std::string_view("80") : s.webPortText);
    return request.finish();
}

std::string buildRebootRequest(std::string_view mac, std::string_view name,
                               std::string_view password) {
    return SettingRequest(mac).field("REBOOT:", "ON").credentials(name, password).finish();
}

}  // namespace pelmora
