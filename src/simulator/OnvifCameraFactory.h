#pragma once
// The simulated standards-based cameras, derived only from their index and the command line so
// that the same command always gives the same cameras: three makers, every fourth camera on
// DHCP, clocks up to a minute off unless a test sets one, and MACs from a prefix of their own so
// they never pass for one of the simulator's own cameras unless a test asks them to.

#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/CameraFactory.h"
#include "simulator/OnvifSimCamera.h"
#include "simulator/SimCamera.h"

namespace pelmora::sim {

inline constexpr int kMaxOnvifCameras = 1024;
// Locally administered, and not the own cameras' default prefix.
inline constexpr std::string_view kOnvifMacPrefix = "02:4F:4E";

struct OnvifFleetOptions {
    int count = 0;
    // Which cameras misbehave, by count: the first `ignoreMulticast`; the last `refusing`, the
    // `faulty` ones before those and the `slow` ones before those.
    int ignoreMulticast = 0;
    int slow = 0;
    int faulty = 0;
    int refusing = 0;
    std::map<int, std::chrono::seconds> clockOffsets;  // by camera index
    // Camera i (from 0) reports the i-th of these, on a fixed address.
    std::vector<FixedAddressing> addresses;
    // Camera K reports the addressing, or has the MAC, of own camera K.
    std::vector<int> addressOfOwn;
    std::vector<int> macOfOwn;
    // Camera K takes new addressing only when restarted.
    std::vector<int> restartToReaddress;
};

// `own` are the simulator's own cameras, which the options may name.
std::vector<OnvifSimCamera> makeOnvifCameras(const OnvifFleetOptions& options,
                                             const std::vector<SimCamera>& own);

struct OnvifScope {
    std::string uri;
    bool fixed = false;  // the camera's own make-up, as opposed to what an installer names
};
// Its type and profile, hardware, name and location, in that order, percent-encoded.
std::vector<OnvifScope> onvifScopes(const OnvifSimCamera& camera);

// The number of leading one bits; a mask with a gap counts only those before it.
int prefixLengthOf(const Ipv4& mask);

}  // namespace pelmora::sim
