#include "settings/network/SentSettings.h"

#include <gtest/gtest.h>

#include <string>

#include "NetworkTestSupport.h"
#include "model/FixedText.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::address;
using test::dnsServer;
using test::fixedAddress;

// A camera with a fixed address, manual DNS with all four servers and port 8000: every field
// the update may write holds something else first.
void addCamera(CameraTable& table, std::string_view mac) {
    table.parseInfoReply(test::datagram({{"MAC:", mac},
                                         {"MODEL:", "M"},
                                         {"DHCP:", "OFF"},
                                         {"IPADR:", "172.16.5.5"},
                                         {"MASK:", "255.255.0.0"},
                                         {"GATEWAY:", "172.16.0.1"},
                                         {"DNSAUTO:", "OFF"},
                                         {"DNS1:", "1.1.1.1"},
                                         {"DNS2:", "2.2.2.2"},
                                         {"DNS3:", "3.3.3.3"},
                                         {"DNS4:", "4.4.4.4"},
                                         {"WEBPORT:", "8000"}}));
}

CameraRecord recordOf(const CameraTable& table, std::string_view mac) {
    return table.findByMac(mac).value();
}

struct Written {
    std::int32_t dhcp;
    const char* ip;
    const char* mask;
    const char* gateway;
    std::int32_t dnsAuto;
    const char* dns[4];
    std::int32_t webPort;
};

void expectRecord(const CameraRecord& r, const Written& w, const char* name) {
    EXPECT_EQ(r.dhcp, w.dhcp) << name;
    EXPECT_EQ(formatIpv4(r.ipAddress), w.ip) << name;
    EXPECT_EQ(formatIpv4(r.subnetMask), w.mask) << name;
    EXPECT_EQ(formatIpv4(r.gateway), w.gateway) << name;
    EXPECT_EQ(r.dnsAuto, w.dnsAuto) << name;
    EXPECT_EQ(formatIpv4(r.dns1), w.dns[0]) << name;
    EXPECT_EQ(formatIpv4(r.dns2), w.dns[1]) << name;
    EXPECT_EQ(formatIpv4(r.dns3), w.dns[2]) << name;
    EXPECT_EQ(formatIpv4(r.dns4), w.dns[3]) << name;
    EXPECT_EQ(r.webPort, w.webPort) << name;
}

TEST(SentSettings, recordShowsWhatWasSent) {
    NetworkSettings dhcpAutoDns = fixedAddress("10.0.0.5", "255.0.0.0", "10.0.0.1");
    dhcpAutoDns.dhcp = true;
    dhcpAutoDns.dnsAuto = true;
    dhcpAutoDns.dns[0] = dnsServer("9.9.9.9");

    NetworkSettings dhcpManualDns = dhcpAutoDns;
    dhcpManualDns.dnsAuto = false;
    dhcpManualDns.dns[2] = dnsServer("8.8.4.4");

    NetworkSettings fixedBlankGateway = fixedAddress("192.168.0.10", "255.255.255.0", "");
    fixedBlankGateway.gateway = address("192.168.0.1");  // still blank: written as 0.0.0.0
    fixedBlankGateway.dns[1] = dnsServer("192.168.0.2");
    fixedBlankGateway.webPort80 = false;
    fixedBlankGateway.webPortText = "08080";

    NetworkSettings fixedWithAutoDns = fixedAddress("192.168.0.10", "255.255.255.0", "192.168.0.1");
    fixedWithAutoDns.dnsAuto = true;
    fixedWithAutoDns.dns[3] = dnsServer("192.168.0.4");

    struct Case {
        const char* name;
        NetworkSettings settings;
        Written expected;
    };
    const Case cases[] = {
        {"DHCP with automatic DNS clears every address",
         dhcpAutoDns,
         {1, "0.0.0.0", "0.0.0.0", "0.0.0.0", 1, {"0.0.0.0", "0.0.0.0", "0.0.0.0", "0.0.0.0"}, 80}},
        {"DHCP with manual DNS keeps the form's servers, blank ones as 0.0.0.0",
         dhcpManualDns,
         {1, "0.0.0.0", "0.0.0.0", "0.0.0.0", 0, {"9.9.9.9", "0.0.0.0", "8.8.4.4", "0.0.0.0"}, 80}},
        {"fixed address, blank gateway, custom port with a leading zero",
         fixedBlankGateway,
         {0,
          "192.168.0.10",
          "255.255.255.0",
          "0.0.0.0",
          0,
          {"0.0.0.0", "192.168.0.2", "0.0.0.0", "0.0.0.0"},
          8080}},
        {"automatic DNS is kept only with DHCP",
         fixedWithAutoDns,
         {0,
          "192.168.0.10",
          "255.255.255.0",
          "192.168.0.1",
          0,
          {"0.0.0.0", "0.0.0.0", "0.0.0.0", "192.168.0.4"},
          80}},
    };
    for (const auto& c : cases) {
        CameraTable table;
        addCamera(table, test::macFor(1));
        applySentSettings(table, test::macFor(1), c.settings);
        expectRecord(recordOf(table, test::macFor(1)), c.expected, c.name);
    }
}

// The fields the update writes, as one text.
std::string networkPart(const CameraRecord& r) {
    std::string text =
        std::to_string(r.dhcp) + ' ' + std::to_string(r.dnsAuto) + ' ' + std::to_string(r.webPort);
    for (const auto& a : {r.ipAddress, r.subnetMask, r.gateway, r.dns1, r.dns2, r.dns3, r.dns4}) {
        text += ' ' + formatIpv4(a);
    }
    return text;
}

TEST(SentSettings, onlyTheCameraWithExactlyThatMacChanges) {
    constexpr const char* kTarget = "02:50:4D:AB:CD:01";
    constexpr const char* kOther = "02:50:4D:AB:CD:02";
    CameraTable table;
    addCamera(table, kTarget);
    addCamera(table, kOther);
    const auto before = networkPart(recordOf(table, kOther));
    NetworkSettings dhcp;

    applySentSettings(table, kTarget, dhcp);
    // MAC texts are compared byte for byte: another case or a prefix is another camera.
    applySentSettings(table, "02:50:4D:ab:cd:02", dhcp);
    applySentSettings(table, "02:50:4D:AB:CD:0", dhcp);
    applySentSettings(table, "", dhcp);

    EXPECT_EQ(recordOf(table, kTarget).dhcp, 1);
    EXPECT_EQ(networkPart(recordOf(table, kOther)), before);
}

}  // namespace
}  // namespace pelmora
