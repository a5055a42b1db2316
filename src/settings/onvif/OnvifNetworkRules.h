#pragma once
// The Network page's rules applied to a change of an ONVIF camera's addressing: the checks run
// on what the camera would have afterwards (parts left out keep what it was read to have), with
// the page's messages; a mask becomes the prefix length the standard sends.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "engine/LocalInterfaces.h"
#include "onvif/DeviceSettings.h"
#include "onvif/OnvifCamera.h"

namespace pelmora {

// The number of leading one bits of a mask whose ones are contiguous; nothing otherwise.
std::optional<int> prefixOfMask(const Ipv4& mask);

// The page's message ("IP address Error", "Subnetmask Error", "Gateway address Error", "HTTP
// port No. Error") for a change the page would refuse; nothing when it passes. The address
// checks run when the camera ends on a fixed address and the change touches its address, mask
// or gateway; the port check when a port is given.
std::optional<std::string_view> checkOnvifNetworkChange(const onvif::OnvifCamera& camera,
                                                        const onvif::NetworkChange& change);

// The fixed address the change moves the camera to, when it is another than the one it had:
// where the camera is looked for afterwards. Nothing when it keeps its address or takes DHCP.
std::optional<Ipv4> movedToAddress(const onvif::OnvifCamera& camera,
                                   const onvif::NetworkChange& change);

// Who already holds `address`, other than `self`: an ONVIF camera that reports it or answered
// from it, or one of ours that reports it; its MAC (or, unknown, its service address). Nothing
// when the address is free as far as these lists know. A camera moved there would share it.
std::optional<std::string> addressHolder(const Ipv4& address, const onvif::OnvifCamera& self,
                                         std::span<const onvif::OnvifCamera> cameras,
                                         std::span<const CameraAddressing> ours = {});

// The change under a camera record's keys ("dhcp", "ipAddress", "subnetMask", "gateway",
// "dnsAuto", "dns1", "dns2", "webPort") and "ntpServer", for the change log: only what is asked.
nlohmann::ordered_json loggedNetworkChange(const onvif::NetworkChange& change);

}  // namespace pelmora
