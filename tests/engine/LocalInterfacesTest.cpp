// This PC's interfaces and default gateways as the diagnosis reads them, and the listed
// cameras' addressing taken from the table.
#include "engine/LocalInterfaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "protocol/DatagramBuilder.h"

namespace pelmora {
namespace {

// An address as /proc/net/route prints it: its 32 bits in memory order, read as one host-order
// number, in hex.
std::string routeHex(Ipv4 address) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, address.data(), sizeof bits);
    char text[9];
    std::snprintf(text, sizeof text, "%08X", bits);
    return text;
}

std::string routeLine(const char* name, Ipv4 destination, Ipv4 gateway, const char* flags,
                      int metric, Ipv4 mask) {
    return std::string(name) + "\t" + routeHex(destination) + "\t" + routeHex(gateway) + "\t" +
           flags + "\t0\t0\t" + std::to_string(metric) + "\t" + routeHex(mask) + "\t0\t0\t0\n";
}

TEST(LocalInterfaces, defaultGatewaysAreReadFromTheRouteTable) {
    const Ipv4 any{};
    const std::string header =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
    const struct {
        const char* name;
        std::string lines;
        std::vector<std::pair<std::string, Ipv4>> expected;
    } cases[] = {
        {"one default route",
         routeLine("eth0", any, {192, 168, 0, 1}, "0003", 100, any) +
             routeLine("eth0", {192, 168, 0, 0}, any, "0001", 100, {255, 255, 255, 0}),
         {{"eth0", {192, 168, 0, 1}}}},
        {"lowest metric first",
         routeLine("wlan0", any, {10, 2, 0, 254}, "0003", 600, any) +
             routeLine("eth1", any, {10, 1, 0, 254}, "0003", 100, any),
         {{"eth1", {10, 1, 0, 254}}, {"wlan0", {10, 2, 0, 254}}}},
        {"a default route onto a link has no gateway",
         routeLine("lo", any, any, "0001", 0, any),
         {}},
        {"a route that is down is not used",
         routeLine("eth0", any, {192, 168, 0, 1}, "0002", 0, any),
         {}},
        {"a default-sized mask with a destination is no default route",
         routeLine("eth0", {10, 0, 0, 0}, {10, 0, 0, 1}, "0003", 0, any),
         {}},
        {"a damaged line is skipped",
         "eth0\tzz\n" + routeLine("eth2", any, {172, 16, 0, 1}, "0003", 0, any),
         {{"eth2", {172, 16, 0, 1}}}},
        {"no routes at all", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseDefaultGateways(header + c.lines), c.expected);
    }
}

TEST(LocalInterfaces, loopbackIsListedWithItsIndexAndPrefix) {
    const auto interfaces = readLocalInterfaces();
    const auto loopback = std::find_if(interfaces.begin(), interfaces.end(),
                                       [](const LocalInterface& i) { return i.loopback; });
    ASSERT_NE(loopback, interfaces.end());
    EXPECT_EQ(formatIpv4(loopback->address), "127.0.0.1");
    EXPECT_EQ(loopback->prefixLength, 8);
    EXPECT_GT(loopback->index, 0);
    EXPECT_FALSE(loopback->name.empty());
}

// Only listed cameras, in table order, each with the interface its last reply came in on.
TEST(LocalInterfaces, listedAddressingFollowsTheTable) {
    CameraTable table;
    const auto reply = [&](const char* mac, const char* ip, const char* dhcp, int interface) {
        table.parseInfoReply(DatagramBuilder{}
                                 .field("MODEL:", "PM-C110")
                                 .field("MAC:", mac)
                                 .field("DHCP:", dhcp)
                                 .field("IPADR:", ip)
                                 .field("MASK:", "255.255.255.0")
                                 .field("GATEWAY:", "10.1.0.254")
                                 .finish(),
                             interface);
    };
    reply("02:50:4D:00:00:03", "10.1.0.7", "OFF", 4);
    reply("02:50:4D:00:00:01", "10.1.0.5", "ON", 0);
    reply("02:50:4D:00:00:02", "10.1.0.6", "OFF", 2);
    // The second camera has been silent past the listed age.
    table.modify([](TableData& d) { d.records[1].age = kListedAge; });
    table.sortByColumn(kSortMac);

    const auto cameras = listedAddressing(table);
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0].mac, "02:50:4D:00:00:02");
    EXPECT_EQ(cameras[0].interfaceIndex, 2);
    EXPECT_EQ(cameras[1].mac, "02:50:4D:00:00:03");
    EXPECT_EQ(cameras[1].interfaceIndex, 4);
    EXPECT_EQ(formatIpv4(cameras[1].ipAddress), "10.1.0.7");
    EXPECT_EQ(formatIpv4(cameras[1].subnetMask), "255.255.255.0");
    EXPECT_EQ(formatIpv4(cameras[1].gateway), "10.1.0.254");
    EXPECT_FALSE(cameras[1].dhcp);
}

}  // namespace
}  // namespace pelmora
