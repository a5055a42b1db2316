#pragma once
// A simulated ONVIF camera taking a Set request: its later answers report what it took (its
// addressing, gateway, name servers, web port, time server and clock), as a real camera's do.
// What it cannot take is refused with the fault a real camera sends.

#include <chrono>
#include <optional>
#include <string>

#include "onvif/DeviceSettings.h"
#include "onvif/XmlDocument.h"
#include "simulator/OnvifSimCamera.h"

namespace pelmora::sim {

// The Set operation `element` names, if it is one the simulator knows.
std::optional<onvif::SettingOperation> settingOperationNamed(const onvif::XmlElement& element);

struct AppliedSetting {
    bool accepted = false;
    // The response body element when accepted; otherwise the fault's reason.
    std::string body;
};

// `hostNow` is this host's UTC: a clock set by hand becomes the camera's offset from it.
AppliedSetting applySetting(onvif::SettingOperation operation, const onvif::XmlElement& element,
                            OnvifSimCamera& camera, std::chrono::sys_seconds hostNow);

}  // namespace pelmora::sim
