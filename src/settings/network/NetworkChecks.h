#pragma once
// The checks the Network page's OK runs before anything is sent, and what the user is told when
// one fails. An address error is always reported before a port error.

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/network/NetworkSettings.h"

namespace pelmora {

enum class NetworkVerdict { Valid, IpAddressError, SubnetMaskError, GatewayError, PortError };

// The form field that takes the keyboard focus after a refusal.
enum class NetworkField { Unchanged, IpAddress, SubnetMask, Gateway };

// Shown in a "caution" message box with the exclamation icon.
struct NetworkRefusal {
    std::string_view message;
    NetworkField focus;
};

// With DHCP nothing is checked. Otherwise the first failing rule decides: the IP address (a
// unicast class A to C host, not loopback, last octet not 0), the mask (8 to 30 leading one
// bits), the host part (neither the subnet's own nor its broadcast address: reported as a mask
// error), the gateway (on the subnet, or blank). The DNS fields are never checked.
NetworkVerdict checkNetworkAddresses(const NetworkSettings& settings);

// The "80" choice always passes; a custom port must be 1024 to 65535, so 80 itself can only be
// had through the "80" choice.
NetworkVerdict checkWebPort(const NetworkSettings& settings);

// Both checks in the order OK runs them, for callers that have no camera lookup in between.
NetworkVerdict checkNetworkSettings(const NetworkSettings& settings);

// The number a custom port text holds: its decimal digits (leading zeros allowed, an empty text
// gives 0). A text the port field could not hold (more than five characters, or anything but
// digits) gives 0, so that it is refused and never reaches the wire; numbers never overflow.
std::int32_t webPortNumber(std::string_view text);

// The message and focus for a failed check; nothing for Valid.
std::optional<NetworkRefusal> refusalFor(NetworkVerdict verdict);

}  // namespace pelmora
