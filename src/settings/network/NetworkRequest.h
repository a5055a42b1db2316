#pragma once
// The two requests of the Network page: its network settings and a reboot. Both name the camera
// by its MAC text first; they differ in where the credentials stand.

#include <string>
#include <string_view>

#include "settings/network/NetworkSettings.h"

namespace pelmora {

// "SETMAC:", "IDPASS:", then "DHCP:ON" or "DHCP:OFF" with "IPADR:" and "MASK:", "GATEWAY:"
// unless the gateway is blank (with DHCP too), "DNSAUTO:ON" or "DNSAUTO:OFF" with a "DNSn:"
// field for each DNS server that is not blank (no renumbering), and "WEBPORT:" with 80 or the
// custom port text as typed. Addresses are written "%d.%d.%d.%d". Call only after both checks
// have passed.
std::string buildNetworkRequest(std::string_view mac, std::string_view name,
                                std::string_view password, const NetworkSettings& settings);

// "SETMAC:", "REBOOT:ON", "IDPASS:" in that order.
std::string buildRebootRequest(std::string_view mac, std::string_view name,
                               std::string_view password);

}  // namespace pelmora
