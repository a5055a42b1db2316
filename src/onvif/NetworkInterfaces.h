#pragma once
// A camera's network interfaces as its device service reports them: the MAC (in the cameras'
// upper-case colon form, whatever form the device wrote) and the IPv4 set-up, by DHCP or by
// hand.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/DeviceReply.h"
#include "protocol/Ipv4.h"
#include "protocol/MacAddress.h"

namespace pelmora::onvif {

inline constexpr std::size_t kMaxInterfaces = 16;
inline constexpr std::size_t kMaxManualAddresses = 8;

struct PrefixedIpv4 {
    Ipv4 address{};
    std::optional<int> prefixLength;  // 0 to 32
    friend bool operator==(const PrefixedIpv4&, const PrefixedIpv4&) = default;
};

struct NetworkInterface {
    std::string token;
    std::optional<bool> enabled;
    std::optional<std::string> name;
    std::optional<MacAddress> hardwareAddress;
    std::optional<bool> ipv4Enabled;
    std::optional<bool> dhcp;
    std::vector<PrefixedIpv4> manual;
    std::optional<PrefixedIpv4> fromDhcp;
    std::optional<PrefixedIpv4> linkLocal;
};

// "00:0f:7c:12:34:56", "00-0F-7C-12-34-56" and "000F7C123456" all as "00:0F:7C:12:34:56";
// nothing for any other text.
std::optional<MacAddress> readHardwareAddress(std::string_view text);

DeviceReply<std::vector<NetworkInterface>> readNetworkInterfaces(std::string_view bytes);

// The address the interface is on: the one DHCP gave when DHCP is on, else the first manual
// one.
std::optional<PrefixedIpv4> currentIpv4(const NetworkInterface& interface);

}  // namespace pelmora::onvif
