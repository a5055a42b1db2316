#include "simulator/ReplyBuilder.h"

#include "protocol/DatagramBuilder.h"
#include "protocol/Wire.h"
#include "simulator/SimClock.h"

namespace pelmora::sim {
namespace {

const char* onOff(bool on) {
    return on ? "ON" : "OFF";
}

std::string joinBands(const std::vector<std::string>& bands) {
    std::string list;
    for (const auto& band : bands) {
        if (!list.empty()) {
            list += ',';
        }
        list += band;
    }
    return list;
}

}  // namespace

std::string buildInfoReply(const SimCamera& camera, std::int64_t localSeconds) {
    DatagramBuilder reply;
    reply.field("MAC:", camera.mac)
        .field("MODEL:", camera.model)
        .field("SERIAL:", camera.serial)
        .field("SOFTVERSION:", camera.softVersion)
        .field("DHCP:", onOff(camera.dhcp))
        .field("IPADR:", formatIpv4(camera.ipAddress))
        .field("MASK:", formatIpv4(camera.subnetMask))
        .field("GATEWAY:", formatIpv4(camera.gateway))
        .field("DNSAUTO:", onOff(camera.dnsAuto))
        .field("DNS1:", formatIpv4(camera.dns[0]))
        .field("DNS2:", formatIpv4(camera.dns[1]))
        .field("DNS3:", formatIpv4(camera.dns[2]))
        .field("DNS4:", formatIpv4(camera.dns[3]))
        .field("WEBPORT:", std::to_string(camera.webPort))
        .field("BANDELM:", joinBands(camera.bandElements))
        .field("CURBAND:", camera.currentBand)
        .field("TIME:", formatReplyTime(localSeconds + camera.clockOffsetSeconds))
        .field("TIMEZONE:", camera.timeZone)
        .field("DTFORMAT:", camera.dateTimeFormat);
    if (camera.pppoeSupported) {
        // Cameras report the PPPoE DNS flag in lower case, unlike every other flag.
        reply.field("PPPOEFUNC:", onOff(camera.pppoeOn))
            .field("PPPOEIPADR:", formatIpv4(camera.pppoeIpAddress))
            .field("PPPOEDNSAUTO:", camera.pppoeDnsAuto ? "on" : "off")
            .field("PPPOEDNS1:", formatIpv4(camera.pppoeDns1))
            .field("PPPOEDNS2:", formatIpv4(camera.pppoeDns2));
    }
    return reply.finish();
}

std::string buildSettlement(bool accepted, std::string_view mac,
                            std::optional<std::string_view> message) {
    DatagramBuilder reply;
    reply.field(accepted ? "ACK:" : "NAK:", mac);
    if (message) {
        // Framing around the text: 02, key, MAC, FF before it and FF 03 after it.
        const std::size_t framing = 1 + 4 + mac.size() + 1 + 2;
        const std::size_t room = kMaxDatagram > framing ? kMaxDatagram - framing : 0;
        reply.field("", message->substr(0, room));
    }
    return reply.finish();
}

}  // namespace pelmora::sim
