#pragma once
// One camera's row of a network plan: the addressing it should have, each setting present only
// when the plan says it. A setting left out means "as the camera reports it now".

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "protocol/Ipv4.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora {

struct PlanRow {
    std::string mac;
    std::optional<bool> dhcp;
    std::optional<Ipv4> ipAddress;
    std::optional<Ipv4> subnetMask;
    std::optional<Ipv4> gateway;  // 0.0.0.0 or an empty cell: no gateway
    std::optional<bool> dnsAuto;
    std::array<std::optional<Ipv4>, kDnsServers> dns;  // 0.0.0.0 or empty: blank
    std::optional<std::string> webPort;                // digits as written
    std::size_t rowNumber = 0;  // its row in the file, the header being row 1; 0 when made
};

}  // namespace pelmora
