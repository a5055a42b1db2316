#pragma once
// The Bandwidth control page without its window: what the form shows for a camera, and the
// request its OK sends. Bandwidth values are the camera's own texts in megabits per second;
// "0.0" means no limit and is shown as "unlimited".

#include <string>
#include <string_view>
#include <vector>

#include "model/CameraRecord.h"

namespace pelmora {

struct BandwidthForm {
    std::string currentBand;           // the "Current bandwidth" label
    std::vector<std::string> choices;  // the "Setting bandwidth" list, in the camera's order
};

BandwidthForm bandwidthFormFor(const CameraRecord& record);

// The value sent for a list text: "unlimited" travels as "0.0".
std::string bandwidthWireValue(std::string_view shown);

// "SETMAC:", "IDPASS:", "SETBAND:" in that order.
std::string buildBandwidthRequest(std::string_view mac, std::string_view name,
                                  std::string_view password, std::string_view shown);

}  // namespace pelmora
