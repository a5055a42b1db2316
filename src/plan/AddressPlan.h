#pragma once
// Numbering cameras for a new plan: consecutive fixed addresses, one per camera, stepping past
// the addresses already in use.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lan/LanDiagnosis.h"
#include "plan/PlanRow.h"

namespace pelmora {

// Consecutive addresses from `start`, `step` apart, skipping the subnet's own and broadcast
// addresses and any ending in .0 or .255, one per MAC in the order given, all fixed with manual DNS
// and the mask. The gateway, the DNS servers and the port are set only when given. Addresses in
// use are skipped too, each said in `skipped`: the gateway given, this PC's addresses and default
// gateways on `interfaces`, and its neighbours' but for those of the MACs being numbered. An
// error when the start is not on a usable host address or the subnet has no room for them all.
struct AddressPlan {
    std::vector<PlanRow> rows;
    std::string error;
    std::vector<std::string> skipped;  // "10.1.0.254: the gateway", one per address in use
};
AddressPlan makeAddressPlan(const std::vector<std::string>& macs, Ipv4 start, unsigned step,
                            Ipv4 mask, std::optional<Ipv4> gateway,
                            const std::array<std::optional<Ipv4>, kDnsServers>& dns,
                            std::optional<std::string> port,
                            std::span<const LocalInterface> interfaces = {});

}  // namespace pelmora
