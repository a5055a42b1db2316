#pragma once
// The addresses a directed probe goes to, as a person writes them: single addresses and CIDR
// ranges separated by commas ("10.2.0.0/24,10.3.0.7"). Cameras on routed subnets never hear a
// multicast probe; a unicast one to each address reaches them. The list is bounded so that a
// mistyped prefix cannot start a sweep of a whole network.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Ipv4.h"

namespace pelmora::onvif {

inline constexpr std::size_t kMaxProbeTargets = 4096;

// Each address once, in the order written. A range holds every address it covers except, for a
// prefix of /30 or shorter, its network and broadcast addresses (a /31 or /32 is all hosts);
// host bits written in a range ("10.2.0.9/24") are ignored. Multicast, reserved and broadcast
// addresses (224.0.0.0 and up) and 0.0.0.0 are refused, and so is a list of more than
// kMaxProbeTargets addresses. Nothing, with the reason in `error`, when the list is refused.
std::optional<std::vector<Ipv4>> parseProbeTargets(std::string_view list, std::string* error);

}  // namespace pelmora::onvif
