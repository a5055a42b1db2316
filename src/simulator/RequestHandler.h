#pragma once
// How one camera answers a setting request addressed to its MAC: silence, an acknowledgement
// with the settings applied, or a refusal that changes nothing.

#include <cstdint>
#include <optional>
#include <string>

#include "simulator/RequestFields.h"
#include "simulator/SimCamera.h"
#include "simulator/SimClock.h"

namespace pelmora::sim {

struct SettingPolicy {
    std::string adminName = "admin";
    std::string adminPassword = "password";
    // Text carried by every refusal; without it a refusal is the bare 24-byte datagram.
    std::optional<std::string> refuseMessage;
    // How long a camera answers nothing at all after acknowledging "REBOOT:ON".
    std::int64_t rebootMs = 10'000;
    // How long a camera answers nothing at all after acknowledging a change of its network
    // settings, as a real one restarts its network; 0 keeps it answering.
    std::int64_t networkSilenceMs = 0;
};

// Returns the datagram to send back, or nullopt when the camera stays silent (it never answers
// settings, or it is rebooting).
//
// Credentials: a request with "IDPASS:" must carry Base64 of "name:password" matching the
// policy. A request without it is accepted only if it sets nothing but the date and time; any
// other is refused. A request that sets nothing the camera knows is refused as well.
std::optional<std::string> handleSettingRequest(SimCamera& camera, const RequestFields& fields,
                                                const SettingPolicy& policy, const SimTime& now);

}  // namespace pelmora::sim
