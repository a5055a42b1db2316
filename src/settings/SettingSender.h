#pragma once
// Sending one setting request to a camera: frame it, register it as pending so that its answer
// (or silence) is reported, and send it whatever the registration's outcome.

#include <string>
#include <string_view>

#include "model/CameraTable.h"

namespace pelmora {

// Registers and sends `request` (a whole datagram) for camera `mac`; the send's result.
int sendSettingRequest(CameraTable& table, const DatagramSender& send, std::string_view mac,
                       std::string_view request);

}  // namespace pelmora
