#pragma once
// After a network-settings request has gone out, the camera list shows the sent values at once,
// before the camera's next information reply overwrites them.

#include <string_view>

#include "model/CameraTable.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora {

// Writes `settings` into the live record whose `mac` equals `mac` byte for byte; no such record,
// no change. DHCP zeroes the address, mask and gateway (the lease is not known yet); automatic
// DNS is kept only together with DHCP; blank fields are written as 0.0.0.0.
void applySentSettings(CameraTable& table, std::string_view mac, const NetworkSettings& settings);

}  // namespace pelmora
