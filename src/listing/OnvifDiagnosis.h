#pragma once
// The LAN diagnosis across our cameras and the ONVIF ones: the ONVIF cameras put in the
// diagnosis's neutral terms, and the notes of both kinds from one diagnosis, so that an address
// one of ours shares with an ONVIF camera is flagged on both.

#include <span>
#include <vector>

#include "engine/LocalInterfaces.h"
#include "lan/LanDiagnosis.h"
#include "listing/CameraListing.h"
#include "onvif/OnvifCamera.h"

namespace pelmora {

// Addressing counts as read when the camera reported its address; its mask from the prefix
// length, "DHCP" unknown taken as fixed.
OtherCamera onvifAsOtherCamera(const onvif::OnvifCamera& camera);

// Every address an ONVIF camera reported or answered from: none of them is free.
std::vector<Ipv4> onvifCameraAddresses(std::span<const onvif::OnvifCamera> cameras);

struct AllCameraNotes {
    std::vector<CameraNotes> ours;   // one per addressing given, in its order
    std::vector<CameraNotes> onvif;  // one per ONVIF camera, in its order
};
AllCameraNotes diagnoseAllCameras(std::span<const CameraAddressing> ours,
                                  std::span<const onvif::OnvifCamera> onvif,
                                  std::span<const LocalInterface> interfaces);

}  // namespace pelmora
