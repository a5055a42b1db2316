#pragma once
// set-network --suggest-address: the addressing that puts a camera on the subnet of the
// interface its reply came in on. The camera must have answered first, so the session listens
// for it (and for the other cameras on its LAN, whose addresses are not free).

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "lan/LanDiagnosis.h"

namespace pelmora {

class HeadlessSession;

struct AddressSuggestion {
    std::optional<SuggestedAddressing> addressing;
    std::string refusal;  // why there is none, one line, when `addressing` is empty
};

// From the listed cameras and this PC's interfaces. None when the camera is not listed, when
// its interface is not known or is loopback (a camera on this PC), or when its subnet has no
// free address.
AddressSuggestion suggestAddressFor(std::string_view mac, std::span<const CameraAddressing> cameras,
                                    std::span<const LocalInterface> interfaces);

// Runs the started session until the camera has answered and the rest of its LAN has had time
// to (one second), at most the discovery wait; then suggests from what the table lists.
AddressSuggestion findCameraAndSuggest(HeadlessSession& session, std::string_view mac);

}  // namespace pelmora
