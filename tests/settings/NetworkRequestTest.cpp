#include "settings/network/NetworkRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetworkTestSupport.h"
#include "protocol/WireText.h"

namespace pelmora {
namespace {

using test::dnsServer;
using test::fixedAddress;
using test::wire;

constexpr const char* kMac = "02:50:4D:00:00:01";
// Base64 of "admin:password".
constexpr const char* kIdPass = "YWRtaW46cGFzc3dvcmQ=";

// The request's fields behind "SETMAC:" and "IDPASS:", after checking the frame and those two.
std::vector<std::string> networkFields(const std::string& request) {
    EXPECT_EQ(request.front(), '\x02');
    EXPECT_EQ(request.back(), '\x03');
    std::vector<std::string> fields;
    std::size_t start = 1;
    for (auto end = request.find('\xFF', start); end != std::string::npos;
         end = request.find('\xFF', start)) {
        fields.push_back(request.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(start, request.size() - 1) << "ETX follows the last terminator";
    EXPECT_GE(fields.size(), 2u);
    EXPECT_EQ(fields.at(0), std::string("SETMAC:") + kMac);
    EXPECT_EQ(fields.at(1), std::string("IDPASS:") + kIdPass);
    return {fields.begin() + 2, fields.end()};
}

TEST(NetworkRequest, fixedAddressWithOneDnsServerIsByteExact) {
    auto s = fixedAddress("192.168.0.10", "255.255.255.0", "192.168.0.1");
    s.dns[0] = dnsServer("192.168.0.2");
    EXPECT_EQ(buildNetworkRequest(kMac, "admin", "password", s),
              wire("<SETMAC:02:50:4D:00:00:01|IDPASS:YWRtaW46cGFzc3dvcmQ=|DHCP:OFF|"
                   "IPADR:192.168.0.10|MASK:255.255.255.0|GATEWAY:192.168.0.1|DNSAUTO:OFF|"
                   "DNS1:192.168.0.2|WEBPORT:80|>"));
}

TEST(NetworkRequest, fieldsFollowTheFormsChoices) {
    using Fields = std::vector<std::string>;
    auto dhcpWithEverythingFilled = fixedAddress("1.2.3.4", "255.0.0.0", "10.0.0.1");
    dhcpWithEverythingFilled.dhcp = true;
    dhcpWithEverythingFilled.dnsAuto = true;
    dhcpWithEverythingFilled.dns = {dnsServer("9.9.9.1"), dnsServer("9.9.9.2"),
                                    dnsServer("9.9.9.3"), dnsServer("9.9.9.4")};
    auto dhcpBlankGateway = dhcpWithEverythingFilled;
    dhcpBlankGateway.gatewayBlank = true;
    auto dhcpTypedZeroGateway = dhcpWithEverythingFilled;
    dhcpTypedZeroGateway.gateway = {};
    auto dnsGaps = fixedAddress("10.0.0.7", "255.0.0.0", "");
    dnsGaps.dns = {dnsServer(""), dnsServer("10.0.0.2"), dnsServer(""), dnsServer("10.0.0.4")};
    auto noDnsServers = fixedAddress("10.0.0.7", "255.0.0.0", "");
    auto dhcpManualDns = dhcpBlankGateway;
    dhcpManualDns.dnsAuto = false;
    dhcpManualDns.dns[1] = dnsServer("");
    auto customPort = fixedAddress("10.0.0.7", "255.0.0.0", "");
    customPort.webPort80 = false;
    customPort.webPortText = "08080";
    auto port80Chosen = customPort;
    port80Chosen.webPort80 = true;

    struct Case {
        const char* name;
        NetworkSettings settings;
        Fields expected;
    };
    const Case cases[] = {
        {"DHCP sends no address, mask or DNS servers, but a gateway that is not blank",
         dhcpWithEverythingFilled,
         {"DHCP:ON", "GATEWAY:10.0.0.1", "DNSAUTO:ON", "WEBPORT:80"}},
        {"DHCP with a blank gateway", dhcpBlankGateway, {"DHCP:ON", "DNSAUTO:ON", "WEBPORT:80"}},
        {"the blank flag, not the value, leaves the gateway out",
         dhcpTypedZeroGateway,
         {"DHCP:ON", "GATEWAY:0.0.0.0", "DNSAUTO:ON", "WEBPORT:80"}},
        {"DHCP with manual DNS",
         dhcpManualDns,
         {"DHCP:ON", "DNSAUTO:OFF", "DNS1:9.9.9.1", "DNS3:9.9.9.3", "DNS4:9.9.9.4", "WEBPORT:80"}},
        {"blank DNS servers are left out without renumbering",
         dnsGaps,
         {"DHCP:OFF", "IPADR:10.0.0.7", "MASK:255.0.0.0", "DNSAUTO:OFF", "DNS2:10.0.0.2",
          "DNS4:10.0.0.4", "WEBPORT:80"}},
        {"manual DNS with no server",
         noDnsServers,
         {"DHCP:OFF", "IPADR:10.0.0.7", "MASK:255.0.0.0", "DNSAUTO:OFF", "WEBPORT:80"}},
        {"custom port exactly as typed",
         customPort,
         {"DHCP:OFF", "IPADR:10.0.0.7", "MASK:255.0.0.0", "DNSAUTO:OFF", "WEBPORT:08080"}},
        {"the 80 choice ignores the custom text",
         port80Chosen,
         {"DHCP:OFF", "IPADR:10.0.0.7", "MASK:255.0.0.0", "DNSAUTO:OFF", "WEBPORT:80"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(networkFields(buildNetworkRequest(kMac, "admin", "password", c.settings)),
                  c.expected)
            << c.name;
    }
}

TEST(NetworkRequest, rebootPutsRebootBetweenMacAndCredentials) {
    EXPECT_EQ(buildRebootRequest(kMac, "admin", "password"),
              wire("<SETMAC:02:50:4D:00:00:01|REBOOT:ON|IDPASS:YWRtaW46cGFzc3dvcmQ=|>"));
}

}  // namespace
}  // namespace pelmora
