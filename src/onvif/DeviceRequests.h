#pragma once
// Requests to a camera's device service (SOAP 1.2), each an empty operation element in the
// device namespace, with a UsernameToken header when credentials are given.

#include <string>
#include <string_view>

#include "onvif/UsernameToken.h"

namespace pelmora::onvif {

enum class DeviceOperation {
    GetSystemDateAndTime,
    GetDeviceInformation,
    GetNetworkInterfaces,
    GetNetworkDefaultGateway,
    GetDNS,
    GetNetworkProtocols,
    GetScopes,
};

// "GetDeviceInformation".
std::string_view operationName(DeviceOperation operation);

// The operation's action, for the "action" parameter of the HTTP Content-Type.
std::string soapAction(DeviceOperation operation);

// Without a token, the request as the camera's public operations take it
// (GetSystemDateAndTime); with one, authenticated.
std::string makeDeviceRequest(DeviceOperation operation, const UsernameToken* token = nullptr);

}  // namespace pelmora::onvif
