#pragma once
// An IPv4 address held as four bytes, first octet first.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

using Ipv4 = std::array<std::uint8_t, 4>;

// "%d.%d.%d.%d", the form used on the wire and in every grid.
std::string formatIpv4(const Ipv4& address);

// Exactly "A.B.C.D": four decimal parts of one to three digits, each 0 to 255; nothing else.
std::optional<Ipv4> parseIpv4(std::string_view text);

// The address as one number, first octet most significant, for masks and ranges.
inline std::uint32_t ipv4ToNumber(const Ipv4& a) {
    return std::uint32_t{a[0]} << 24 | std::uint32_t{a[1]} << 16 | std::uint32_t{a[2]} << 8 |
           std::uint32_t{a[3]};
}
inline Ipv4 ipv4FromNumber(std::uint32_t n) {
    return {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
            static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
}

}  // namespace pelmora
