#pragma once
// The make-up of each simulated camera, derived only from its index so that the same command
// line always gives the same cameras: a few models (two of them with PPPoE), every third camera
// on DHCP, every fifth on web port 8080, clocks a little off the host's, assorted time zones.

#include <optional>
#include <string_view>

#include "simulator/SimCamera.h"

namespace pelmora::sim {

inline constexpr int kMaxCameras = 1024;
// A locally administered prefix, so simulated MACs cannot clash with real hardware.
inline constexpr std::string_view kDefaultMacPrefix = "02:50:4D";

// "HH:HH:HH" with hexadecimal digits.
bool isValidMacPrefix(std::string_view prefix);

// A camera's own addressing, given on the command line as "IP/MASK" or "IP/MASK/GATEWAY" (no
// gateway: 0.0.0.0). Anything else is nothing.
struct FixedAddressing {
    Ipv4 ipAddress{};
    Ipv4 subnetMask{};
    Ipv4 gateway{};
};
std::optional<FixedAddressing> parseFixedAddressing(std::string_view text);

// Camera `index` (0 to kMaxCameras − 1). Its MAC is the prefix followed by index + 1 as three
// octets, in upper case: index 0 with the default prefix is "02:50:4D:00:00:01".
SimCamera makeCamera(int index, std::string_view macPrefix);

}  // namespace pelmora::sim
