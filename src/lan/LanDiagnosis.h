#pragma once
// What is wrong on this LAN, camera by camera: whether this PC can reach each camera's address
// through the interface its reply came in on, and the addressing faults installers meet most
// (two devices on one address, a gateway outside the camera's subnet, ...). Pure functions of
// the listed cameras and this PC's interfaces; O(n) in the cameras.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/LocalInterfaces.h"
#include "protocol/Ipv4.h"

namespace pelmora {

enum class Reachability { SameSubnet, OtherSubnet, NoAddress, Unknown };

// Problems, in the order they are reported.
enum Problem : std::uint32_t {
    kProblemOtherSubnet = 1u << 0,
    kProblemDuplicateIp = 1u << 1,
    kProblemPcAddress = 1u << 2,
    kProblemNetworkOrBroadcast = 1u << 3,
    kProblemBadMask = 1u << 4,
    kProblemGatewayOutsideSubnet = 1u << 5,
    kProblemClockOff = 1u << 6,  // only cameras that tell their clock: the ONVIF ones
};
inline constexpr int kProblemKinds = 7;

// A clock further than this from the PC's breaks digest logins and puts recordings at the wrong
// time; closer is drift that the camera's own time sync would mend.
inline constexpr std::chrono::seconds kLargestClockOffset{300};

struct CameraDiagnosis {
    Reachability reachability = Reachability::Unknown;
    std::uint32_t problems = 0;
    // The interface the reply came in on, as an index into the interfaces given; −1 unknown.
    int interface = -1;
    // Another listed camera with the same address, for a duplicate.
    std::string sharesWith;
    // The camera's clock minus this PC's, for clock-off.
    std::chrono::seconds clockOffset{};
};

// A camera found by another protocol (ONVIF), as far as the diagnosis needs it. Only addressing
// the camera reported of itself is judged: answers from one address can come from one box
// serving several device services.
struct OtherCamera {
    // `addressing.mac` is "" when not known. An ONVIF camera with the MAC of one of ours is
    // that camera answering both protocols, never a second device on its address.
    CameraAddressing addressing;
    bool addressingRead = false;
    // Where its answer came from: with no interface index, the interface whose subnet holds it
    // is taken as the one it came in on.
    Ipv4 answeredFrom{};
    std::optional<std::chrono::seconds> clockOffset;
    // How another camera's duplicate names it: its MAC, else what tells it apart.
    std::string name;
};

struct LanDiagnoses {
    std::vector<CameraDiagnosis> ours;
    std::vector<CameraDiagnosis> others;
};

// Both kinds in one: an address shared across them is a duplicate on both sides.
LanDiagnoses diagnoseLan(std::span<const CameraAddressing> ours,
                         std::span<const OtherCamera> others,
                         std::span<const LocalInterface> interfaces);

// One diagnosis per camera, in the same order.
std::vector<CameraDiagnosis> diagnoseCameras(std::span<const CameraAddressing> cameras,
                                             std::span<const LocalInterface> interfaces);

// "same-subnet", "other-subnet", "no-address", "unknown".
std::string_view reachabilityWord(Reachability reachability);
// "other-subnet", "duplicate-ip", "pc-address", "network-or-broadcast", "bad-mask",
// "gateway-outside-subnet", "clock-off": those present, in that order.
std::vector<std::string_view> problemWords(std::uint32_t problems);
// What is wrong in words, one sentence a problem, in the same order ("Shares 192.168.0.10 with
// 02:50:4D:00:00:03", "On another subnet: this PC is 10.1.0.1/24 on eth1", ...).
std::vector<std::string> problemSentences(const CameraAddressing& camera,
                                          const CameraDiagnosis& diagnosis,
                                          std::span<const LocalInterface> interfaces);

// "Clock 3 h 12 min behind this PC", "Clock 7 min ahead of this PC": to the nearest minute.
std::string clockOffsetSentence(std::chrono::seconds offset);
// The same without the clock and the PC: "3 h 12 min behind", "7 min ahead", "in step" (under
// half a minute either way).
std::string clockOffsetWords(std::chrono::seconds offset);

// "10.1.0.1/24".
std::string interfaceAddressText(const LocalInterface& interface);
Ipv4 maskOfPrefix(int prefixLength);

// Addressing that puts a camera into the network of `interface`: the lowest free address above
// this PC's own there (wrapping round), never the network or broadcast address, one ending in
// .0 or .255, an address of this PC, one a listed camera reports, the interface's default
// gateway (which is also the gateway suggested), one in its neighbour table or one of
// `otherAddresses` (other kinds of camera); the interface's mask; its default gateway, else
// 0.0.0.0. None when the network has no free address.
struct SuggestedAddressing {
    Ipv4 ipAddress{};
    Ipv4 subnetMask{};
    Ipv4 gateway{};
};
std::optional<SuggestedAddressing> suggestFreeAddress(const LocalInterface& interface,
                                                      std::span<const CameraAddressing> cameras,
                                                      std::span<const LocalInterface> interfaces,
                                                      std::span<const Ipv4> otherAddresses = {});

}  // namespace pelmora
