#pragma once
// What the Network page's form says, field by field, as the OK button hands it to the checks,
// the request builder and the record update.

#include <array>
#include <string>

#include "protocol/Ipv4.h"

namespace pelmora {

// An address field that may be blank (no octet typed). A blank field reads as 0.0.0.0; the flag
// tells it from a typed 0.0.0.0 where that matters.
struct DnsEntry {
    Ipv4 address{};
    bool blank = true;
};

inline constexpr std::size_t kDnsServers = 4;
// The custom port field holds digits only, at most this many.
inline constexpr std::size_t kMaxWebPortText = 5;

// Octets stand in display order: octet 1 (index 0) is the leftmost part of the dotted address.
struct NetworkSettings {
    bool dhcp = true;  // "Obtain an IP address automatically"
    Ipv4 ipAddress{};
    Ipv4 subnetMask{};
    Ipv4 gateway{};
    bool gatewayBlank = true;
    bool dnsAuto = true;  // "Obtain DNS server address automatically"
    // Primary, secondary, third and fourth DNS server, in that order.
    std::array<DnsEntry, kDnsServers> dns{};
    bool webPort80 = true;    // the "80" port choice; otherwise the custom port
    std::string webPortText;  // the custom port field exactly as typed
};

}  // namespace pelmora
