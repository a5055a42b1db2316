#pragma once
// The make-up of each simulated camera, derived only from its index so that the same command
// line always gives the same cameras: a few models (two of them with PPPoE), every third camera
// on DHCP, every fifth on web port 8080, clocks a little off the host's, assorted time zones.

#include <string_view>

#include "simulator/SimCamera.h"

namespace pelmora::sim {

inline constexpr int kMaxCameras = 1024;
// A locally administered prefix, so simulated MACs cannot clash with real hardware.
inline constexpr std::string_view kDefaultMacPrefix = "02:50:4D";

// "HH:HH:HH" with hexadecimal digits.
bool isValidMacPrefix(std::string_view prefix);

// Camera `index` (0 to kMaxCameras − 1). Its MAC is the prefix followed by index + 1 as three
// octets, in upper case: index 0 with the default prefix is "02:50:4D:00:00:01".
SimCamera makeCamera(int index, std::string_view macPrefix);

}  // namespace pelmora::sim
