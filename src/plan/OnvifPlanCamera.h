#pragma once
// An ONVIF camera as a plan sees it: the Network page's form as its readings fill it, and what a
// row asks of it put as the standard's change, so that one plan checks and orders cameras of
// both kinds alike and each kind is sent its own requests.

#include <optional>
#include <string>
#include <vector>

#include "model/CameraRecord.h"
#include "onvif/DeviceSettings.h"
#include "onvif/OnvifCamera.h"
#include "settings/network/NetworkSettings.h"

namespace pelmora {

// Whether the camera was read far enough to be planned: its MAC, the token of its interface,
// its address and prefix length.
bool plannable(const onvif::OnvifCamera& camera);

// The camera's readings in a record's fields (MAC, model, addressing, port), as the plan checks
// read our cameras'. A reading that is missing reads as 0 (port 80).
CameraRecord planRecordOf(const onvif::OnvifCamera& camera);

// The parts of `planned` that differ from `current`, as the standard's change; parts that are
// equal are left out, so the camera keeps them as they are.
onvif::NetworkChange onvifPlanChange(const NetworkSettings& current,
                                     const NetworkSettings& planned);

// What a plan sends an ONVIF camera, built when the plan is checked.
struct OnvifPlanTarget {
    onvif::OnvifCamera camera;
    onvif::NetworkChange change;
    std::vector<onvif::SettingRequest> requests;
};

}  // namespace pelmora
