#include "simulator/CameraFleet.h"

#include <algorithm>

#include "protocol/Wire.h"
#include "simulator/ReplyBuilder.h"
#include "simulator/RequestFields.h"

namespace pelmora::sim {

CameraFleet::CameraFleet(const FleetOptions& options) : policy_(options.policy) {
    const int count = std::clamp(options.cameraCount, 0, kMaxCameras);
    cameras_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        SimCamera camera = makeCamera(i, options.macPrefix);
        camera.silentToSettings = i < options.silentCameras;
        camera.refusesSettings = i >= count - options.refusingCameras;
        if (static_cast<std::size_t>(i) < options.addresses.size()) {
            const auto& a = options.addresses[static_cast<std::size_t>(i)];
            camera.dhcp = false;
            camera.dnsAuto = false;
            camera.ipAddress = a.ipAddress;
            camera.subnetMask = a.subnetMask;
            camera.gateway = a.gateway;
            camera.dns[0] = a.gateway;
        }
        byMac_.emplace(camera.mac, cameras_.size());
        cameras_.push_back(std::move(camera));
    }
}

FleetResponse CameraFleet::respond(std::string_view text, const SimTime& now) {
    FleetResponse response;
    if (text.size() > kMaxDatagram) {
        return response;
    }
    const RequestFields fields(text);
    if (fields.firstKey() == "SETMAC:") {
        const auto mac = fields.value("SETMAC:");
        const auto found = byMac_.find(*mac);
        if (found == byMac_.end()) {
            return response;
        }
        if (auto answer = handleSettingRequest(cameras_[found->second], fields, policy_, now)) {
            response.datagrams.push_back(std::move(*answer));
        }
        return response;
    }
    if (text.find("ENQ:allinfo") != std::string_view::npos) {
        response.enquiry = true;
        response.datagrams.reserve(cameras_.size());
        for (const auto& camera : cameras_) {
            if (!camera.isRebooting(now.steadyMs)) {
                response.datagrams.push_back(buildInfoReply(camera, now.localSeconds));
            }
        }
    }
    return response;
}

}  // namespace pelmora::sim
