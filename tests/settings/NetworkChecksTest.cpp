#include "settings/network/NetworkChecks.h"

#include <gtest/gtest.h>

#include "NetworkTestSupport.h"

namespace pelmora {
namespace {

using test::fixedAddress;
using V = NetworkVerdict;

struct AddressCase {
    const char* name;
    const char* ip;
    const char* mask;
    const char* gateway;  // "" is a blank field
    NetworkVerdict expected;
};

void expectAddressVerdicts(std::initializer_list<AddressCase> cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(checkNetworkAddresses(fixedAddress(c.ip, c.mask, c.gateway)), c.expected)
            << c.name;
    }
}

TEST(NetworkChecks, ipAddressMustBeAUnicastHostOutsideLoopback) {
    expectAddressVerdicts({
        {"loopback network", "127.0.0.5", "255.0.0.0", "", V::IpAddressError},
        {"first octet 0", "0.1.2.3", "255.0.0.0", "", V::IpAddressError},
        {"multicast", "224.0.0.1", "255.0.0.0", "", V::IpAddressError},
        {"last octet 0 though the host part is not", "10.1.2.0", "255.0.0.0", "",
         V::IpAddressError},
        {"last octet 0 on a /24", "192.168.0.0", "255.255.255.0", "", V::IpAddressError},
        {"highest class C network", "223.255.255.1", "255.255.255.0", "", V::Valid},
        {"just below loopback", "126.0.0.1", "255.0.0.0", "", V::Valid},
        {"just above loopback", "128.0.0.1", "255.255.0.0", "", V::Valid},
        {"first octet 1", "1.0.0.1", "255.0.0.0", "", V::Valid},
    });
}

TEST(NetworkChecks, subnetMaskMustBeEightToThirtyLeadingOnes) {
    expectAddressVerdicts({
        {"31 bits", "10.0.0.1", "255.255.255.254", "", V::SubnetMaskError},
        {"32 bits", "10.0.0.1", "255.255.255.255", "", V::SubnetMaskError},
        {"7 bits", "10.0.0.1", "254.0.0.0", "", V::SubnetMaskError},
        {"zero octet between ones", "10.0.0.1", "255.0.255.0", "", V::SubnetMaskError},
        {"one zero bit inside", "10.0.0.1", "255.254.255.0", "", V::SubnetMaskError},
        {"a one after the zeros, last octet small", "10.0.0.1", "255.255.254.128", "",
         V::SubnetMaskError},
        {"all zero", "10.0.0.1", "0.0.0.0", "", V::SubnetMaskError},
        {"30 bits", "192.168.0.5", "255.255.255.252", "", V::Valid},
        {"25 bits", "192.168.0.1", "255.255.255.128", "", V::Valid},
        {"9 bits", "10.0.0.1", "255.128.0.0", "", V::Valid},
        {"8 bits", "10.0.0.1", "255.0.0.0", "", V::Valid},
    });
}

TEST(NetworkChecks, subnetsOwnAndBroadcastAddressesAreMaskErrors) {
    expectAddressVerdicts({
        {"broadcast of a /24", "192.168.0.255", "255.255.255.0", "", V::SubnetMaskError},
        {"network address of a /30", "192.168.0.4", "255.255.255.252", "", V::SubnetMaskError},
        {"broadcast of a /30", "192.168.0.7", "255.255.255.252", "", V::SubnetMaskError},
        {"broadcast of a /8", "10.255.255.255", "255.0.0.0", "", V::SubnetMaskError},
        {"network address of a /16", "172.16.0.0", "255.255.0.0", "", V::IpAddressError},
        {"host part ending in 255 inside a /8", "10.0.1.255", "255.0.0.0", "", V::Valid},
        {"host part ending in 0 inside a /16", "172.16.1.0", "255.255.0.0", "", V::IpAddressError},
    });
}

TEST(NetworkChecks, gatewayMustBeOnTheSubnetUnlessBlank) {
    expectAddressVerdicts({
        {"other subnet", "192.168.0.10", "255.255.255.0", "192.168.1.1", V::GatewayError},
        {"typed 0.0.0.0 is not blank", "192.168.0.10", "255.255.255.0", "0.0.0.0", V::GatewayError},
        {"blank", "192.168.0.10", "255.255.255.0", "", V::Valid},
        {"same subnet", "192.168.0.10", "255.255.255.0", "192.168.0.1", V::Valid},
        {"the address itself", "192.168.0.10", "255.255.255.0", "192.168.0.10", V::Valid},
        {"the network address", "192.168.0.10", "255.255.255.0", "192.168.0.0", V::Valid},
        {"the broadcast address", "192.168.0.10", "255.255.255.0", "192.168.0.255", V::Valid},
        {"far away on a wide mask", "10.1.2.3", "255.0.0.0", "10.200.0.1", V::Valid},
    });
}

TEST(NetworkChecks, firstFailingRuleDecides) {
    expectAddressVerdicts({
        {"bad address and bad mask", "127.0.0.1", "255.255.255.255", "9.9.9.9", V::IpAddressError},
        {"bad mask and bad gateway", "10.0.0.1", "255.0.255.0", "9.9.9.9", V::SubnetMaskError},
        {"broadcast host and bad gateway", "192.168.0.255", "255.255.255.0", "9.9.9.9",
         V::SubnetMaskError},
    });
}

TEST(NetworkChecks, dhcpSkipsTheAddressCheckButNotThePortCheck) {
    auto s = fixedAddress("127.0.0.0", "0.255.0.1", "8.8.8.8");
    s.dhcp = true;
    EXPECT_EQ(checkNetworkAddresses(s), V::Valid);
    s.webPort80 = false;
    s.webPortText = "80";
    EXPECT_EQ(checkNetworkSettings(s), V::PortError);
}

TEST(NetworkChecks, customPortMustBe1024To65535) {
    struct Case {
        const char* name;
        const char* text;
        NetworkVerdict expected;
    };
    const Case cases[] = {
        {"just below the range", "1023", V::PortError},
        {"lowest", "1024", V::Valid},
        {"highest", "65535", V::Valid},
        {"just above the range", "65536", V::PortError},
        {"five nines", "99999", V::PortError},
        {"empty", "", V::PortError},
        {"zero", "0", V::PortError},
        {"80 typed as a custom port", "80", V::PortError},
        {"leading zero", "08080", V::Valid},
        // Texts the digits-only, five-character field cannot hold are refused, so that nothing
        // but digits ever goes into the request.
        {"trailing letter", "8080x", V::PortError},
        {"sign", "-1024", V::PortError},
        {"framing byte", "8080\xFF", V::PortError},
        {"longer than the field", "000001024", V::PortError},
        {"twenty digits", "99999999999999999999", V::PortError},
    };
    for (const auto& c : cases) {
        NetworkSettings s;
        s.webPort80 = false;
        s.webPortText = c.text;
        EXPECT_EQ(checkWebPort(s), c.expected) << c.name;
    }
    NetworkSettings port80;
    port80.webPortText = "1";
    EXPECT_EQ(checkWebPort(port80), V::Valid) << "the 80 choice ignores the custom text";
}

TEST(NetworkChecks, addressErrorIsReportedBeforePortError) {
    auto s = fixedAddress("224.0.0.1", "255.255.255.0", "");
    s.webPort80 = false;
    s.webPortText = "1023";
    EXPECT_EQ(checkNetworkSettings(s), V::IpAddressError);
    s.ipAddress = test::address("192.168.0.10");
    EXPECT_EQ(checkNetworkSettings(s), V::PortError);
}

TEST(NetworkChecks, eachRefusalHasItsMessageAndFocus) {
    struct Case {
        NetworkVerdict verdict;
        const char* message;
        NetworkField focus;
    };
    const Case cases[] = {
        {V::IpAddressError, "IP address Error", NetworkField::IpAddress},
        {V::SubnetMaskError, "Subnetmask Error", NetworkField::SubnetMask},
        {V::GatewayError, "Gateway address Error", NetworkField::Gateway},
        {V::PortError, "HTTP port No. Error", NetworkField::Unchanged},
    };
    for (const auto& c : cases) {
        const auto refusal = refusalFor(c.verdict);
        ASSERT_TRUE(refusal) << c.message;
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->focus, c.focus) << c.message;
    }
    EXPECT_FALSE(refusalFor(V::Valid));
}

}  // namespace
}  // namespace pelmora
