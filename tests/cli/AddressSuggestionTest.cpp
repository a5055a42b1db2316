// set-network --suggest-address: which interface's subnet, and when there is nothing to suggest.
#include "cli/AddressSuggestion.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/LocalInterfaces.h"

namespace pelmora {
namespace {

constexpr const char* kMac = "02:50:4D:00:00:01";

TEST(AddressSuggestion, anAddressOnTheSubnetTheReplyCameInOnOrWhyNot) {
    const std::vector<LocalInterface> interfaces = {
        {"lo", 1, {127, 0, 0, 1}, 8, true, std::nullopt},
        {"eth1", 3, {10, 1, 0, 1}, 24, false, Ipv4{10, 1, 0, 254}},
        {"eth2", 4, {10, 2, 0, 1}, 24, false, std::nullopt},
        {"eth3", 5, {10, 3, 0, 1}, 30, false, std::nullopt},
    };
    const auto camera = [](int interface) {
        return CameraAddressing{kMac, {192, 168, 0, 10}, {255, 255, 255, 0}, {}, false, interface};
    };
    // Cameras elsewhere on the LANs: their addresses are taken.
    const CameraAddressing onEth1{"02:50:4D:00:00:02", {10, 1, 0, 2}, {}, {}, false, 3};
    const CameraAddressing onEth3{"02:50:4D:00:00:03", {10, 3, 0, 2}, {}, {}, false, 5};
    const struct {
        const char* name;
        std::vector<CameraAddressing> cameras;
        std::optional<SuggestedAddressing> expected;
        const char* refusal;
    } cases[] = {
        {"on eth1, with its default gateway",
         {camera(3), onEth1},
         SuggestedAddressing{{10, 1, 0, 3}, {255, 255, 255, 0}, {10, 1, 0, 254}},
         ""},
        {"on eth2, no default route there",
         {camera(4), onEth1},
         SuggestedAddressing{{10, 2, 0, 2}, {255, 255, 255, 0}, {}},
         ""},
        {"the camera did not answer",
         {onEth1},
         std::nullopt,
         "02:50:4D:00:00:01 did not answer: no address to suggest"},
        {"interface not known",
         {camera(0)},
         std::nullopt,
         "The interface 02:50:4D:00:00:01 answered on is not known: no address to suggest"},
        {"an interface gone since",
         {camera(9)},
         std::nullopt,
         "The interface 02:50:4D:00:00:01 answered on is not known: no address to suggest"},
        {"a camera on this PC",
         {camera(1)},
         std::nullopt,
         "02:50:4D:00:00:01 answered over loopback (lo): no LAN to suggest an address on"},
        {"a full /30", {camera(5), onEth3}, std::nullopt, "No free address in 10.3.0.1/30 on eth3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto suggestion = suggestAddressFor(kMac, c.cameras, interfaces);
        ASSERT_EQ(suggestion.addressing.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(suggestion.addressing->ipAddress, c.expected->ipAddress);
            EXPECT_EQ(suggestion.addressing->subnetMask, c.expected->subnetMask);
            EXPECT_EQ(suggestion.addressing->gateway, c.expected->gateway);
        }
        EXPECT_EQ(suggestion.refusal, c.refusal);
    }
}

// This PC's routes and neighbour table as the kernel prints them: the router and the devices
// that answered lately are never suggested, on the interface they were seen on.
TEST(AddressSuggestion, neverTheRouterNorADeviceInTheNeighbourTable) {
    std::vector<LocalInterface> interfaces = {{"eth1", 3, {10, 1, 0, 1}, 24, false, std::nullopt},
                                              {"eth2", 4, {10, 2, 0, 1}, 24, false, std::nullopt}};
    addRoutesAndNeighbours(interfaces,
                           "Iface Destination Gateway Flags RefCnt Use Metric Mask\n"
                           "eth1 00000000 0200010A 0003 0 0 100 00000000 0 0 0\n",
                           "IP address HW type Flags HW address Mask Device\n"
                           "10.1.0.3 0x1 0x2 aa:bb:cc:00:00:03 * eth1\n"  // reachable or stale
                           "10.1.0.4 0x1 0x0 00:00:00:00:00:00 * eth1\n"  // being resolved
                           "10.1.0.5 0x1 0x6 aa:bb:cc:00:00:05 * eth1\n"  // permanent
                           "10.1.0.9 damaged\n"
                           "10.2.0.2 0x1 0x2 aa:bb:cc:00:00:12 * eth2\n");
    const auto suggested = [&](std::vector<CameraAddressing> cameras) {
        const auto s = suggestAddressFor(kMac, cameras, interfaces).addressing;
        return s ? formatIpv4(s->ipAddress) + " via " + formatIpv4(s->gateway) : "none";
    };
    const auto at = [](int interface) {
        return CameraAddressing{kMac, {192, 168, 0, 10}, {255, 255, 255, 0}, {}, false, interface};
    };
    EXPECT_EQ(suggested({at(3)}), "10.1.0.4 via 10.1.0.2");
    EXPECT_EQ(suggested({at(3), {"B", {10, 1, 0, 4}, {}, {}, false, 3}}), "10.1.0.6 via 10.1.0.2");
    EXPECT_EQ(suggested({at(4)}), "10.2.0.3 via 0.0.0.0");
}

}  // namespace
}  // namespace pelmora
