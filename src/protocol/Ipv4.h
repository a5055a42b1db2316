#pragma once
// An IPv4 address held as four bytes, first octet first.

#include <array>
#include <cstdint>
#include <string>

namespace pelmora {

using Ipv4 = std::array<std::uint8_t, 4>;

// "%d.%d.%d.%d", the form used on the wire and in every grid.
std::string formatIpv4(const Ipv4& address);

}  // namespace pelmora
