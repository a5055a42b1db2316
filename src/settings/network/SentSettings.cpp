#include "settings/network/SentSettings.h"

#include "model/FixedText.h"
#include "settings/network/NetworkChecks.h"

namespace pelmora {
namespace {

void writeInto(CameraRecord& r, const NetworkSettings& s) {
    if (s.dhcp) {
        r.dhcp = 1;
        r.ipAddress = {};
        r.subnetMask = {};
        r.gateway = {};
    } else {
        r.dhcp = 0;
        r.ipAddress = s.ipAddress;
        r.subnetMask = s.subnetMask;
        r.gateway = s.gatewayBlank ? Ipv4{} : s.gateway;
    }
    Ipv4* const dns[kDnsServers] = {&r.dns1, &r.dns2, &r.dns3, &r.dns4};
    if (s.dnsAuto && r.dhcp != 0) {
        r.dnsAuto = 1;
        for (auto* server : dns) {
            *server = {};
        }
    } else {
        r.dnsAuto = 0;
        for (std::size_t n = 0; n < kDnsServers; ++n) {
            *dns[n] = s.dns[n].blank ? Ipv4{} : s.dns[n].address;
        }
    }
    r.webPort = s.webPort80 ? 80 : webPortNumber(s.webPortText);
}

}  // namespace

void applySentSettings(CameraTable& table, std::string_view mac, const NetworkSettings& s) {
    table.modify([&](TableData& data) {
        const int count = data.count < kTableSize ? data.count : kTableSize;
        for (int i = 0; i < count; ++i) {
            if (fieldText(data.records[i].mac) == mac) {
                writeInto(data.records[i], s);
                return;
            }
        }
    });
}

}  // namespace pelmora
