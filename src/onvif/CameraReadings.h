#pragma once
// What each reading of a camera's device service says, put into its record: which of the
// addresses it announced to read it at, its clock offset, and the readings that need
// credentials.

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "onvif/DeviceReplies.h"
#include "onvif/NetworkInterfaces.h"
#include "onvif/OnvifCamera.h"

namespace pelmora::onvif {

// The device service address to read: the first http or https XAddr on the address the camera
// answered from (on any IPv4 address when that is not known). "" when there is none: an XAddr on
// another host or a name is never read, since the readings carry the credentials' digests.
std::string chooseServiceAddress(std::span<const std::string> xaddrs, const Ipv4& answeredFrom);

// The camera's clock minus this PC's, `sentAt` and `answeredAt` being this PC's clock around the
// request: the camera's time falls between the two.
std::chrono::seconds clockOffset(std::chrono::sys_seconds cameraUtc,
                                 std::chrono::system_clock::time_point sentAt,
                                 std::chrono::system_clock::time_point answeredAt);

void applyDeviceInformation(OnvifCamera& camera, const DeviceInformation& information);
// The interface the camera is read through (its current IPv4 is the service address's host or
// the address it answered from), else the first enabled one, else the first.
void applyNetworkInterfaces(OnvifCamera& camera, const std::vector<NetworkInterface>& interfaces);
void applyDefaultGateway(OnvifCamera& camera, const DefaultGateway& gateway);
// The name servers DHCP gave when DNS comes from DHCP, else the manual ones.
void applyDns(OnvifCamera& camera, const DnsInformation& dns);
// The first port of HTTP, unless the camera says HTTP is off.
void applyNetworkProtocols(OnvifCamera& camera, const std::vector<NetworkProtocol>& protocols);
// The scopes as configured now replace those the discovery answer announced.
void applyScopes(OnvifCamera& camera, const std::vector<std::string>& scopes);

}  // namespace pelmora::onvif
