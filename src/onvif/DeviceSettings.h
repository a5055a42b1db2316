#pragma once
// Changing an ONVIF camera's settings: the device service's Set requests, built from what the
// person asked for against what the camera was read to have, so that only the parts that change
// are sent and every part left out keeps what the camera has. Each request carries exactly the
// elements the device management service defines, in its order. The interface token is the one
// text of the camera's that goes back to it, escaped; everything else is written from values.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/DeviceReply.h"
#include "onvif/OnvifCamera.h"
#include "onvif/UsernameToken.h"
#include "protocol/Ipv4.h"

namespace pelmora::onvif {

enum class SettingOperation {
    SetNetworkInterfaces,
    SetNetworkDefaultGateway,
    SetDNS,
    SetNetworkProtocols,
    SetNTP,
    SetSystemDateAndTime,
    SystemReboot,
};

// "SetNetworkInterfaces".
std::string_view operationName(SettingOperation operation);
std::string soapAction(SettingOperation operation);

// One request: the operation and its body element, ready for an envelope.
struct SettingRequest {
    SettingOperation operation{};
    std::string content;
};

// What the person asked for; nothing in a part keeps what the camera has.
struct NetworkChange {
    // DHCP on, or a fixed address with its prefix length (both given with dhcp false).
    std::optional<bool> dhcp;
    std::optional<Ipv4> ipAddress;
    std::optional<int> prefixLength;
    // 0.0.0.0: no gateway.
    std::optional<Ipv4> gateway;
    // Name servers from DHCP, or these (at most two) by hand.
    std::optional<bool> dnsFromDhcp;
    std::vector<Ipv4> dns;
    std::optional<int> httpPort;
    // The time server from DHCP, or this one (an address or a host name) by hand.
    std::optional<bool> ntpFromDhcp;
    std::optional<std::string> ntpServer;
};

// The requests that take `camera` (as read) to `change`, in the order they are best sent: the
// name servers, time server, gateway and port first, the interface (which may move the camera to
// another address) last. A part equal to what was read is not sent. Refused, with the reason in
// `error`, when the change cannot be written as the standard means it: an interface token or a
// fixed address without its prefix length missing, a prefix outside 0 to 32, a port outside 1
// to 65535, more than two name servers, a time server that is no address or host name.
std::optional<std::vector<SettingRequest>> networkRequests(const OnvifCamera& camera,
                                                           const NetworkChange& change,
                                                           std::string* error);

// The camera's clock set by hand to `utc`, its local time following the POSIX TZ string `zone`
// ("CET-1CEST,M3.5.0,M10.5.0/3"); an empty zone leaves the camera's time zone alone.
SettingRequest clockRequest(std::chrono::sys_seconds utc, std::string_view zone);
SettingRequest rebootRequest();

// The whole SOAP 1.2 envelope, with the UsernameToken header when one is given.
std::string makeSettingEnvelope(const SettingRequest& request, const UsernameToken* token);

// SetNetworkInterfacesResponse: whether the camera must restart to use its new addressing.
DeviceReply<bool> readRebootNeeded(std::string_view bytes);
// SystemRebootResponse: the camera's message ("Rebooting in 30 seconds"), as printable text.
DeviceReply<std::string> readRebootMessage(std::string_view bytes);
// Any other Set…Response: that the camera took the request.
DeviceReply<bool> readSettingAccepted(std::string_view bytes, SettingOperation operation);

}  // namespace pelmora::onvif
