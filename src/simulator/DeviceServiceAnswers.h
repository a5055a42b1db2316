#pragma once
// The SOAP 1.2 answers of a simulated camera's device service: each operation's response, as
// the device management WSDL lays it out, and the faults it answers with instead.

#include <chrono>
#include <string>
#include <string_view>

#include "onvif/DeviceRequests.h"
#include "simulator/OnvifSimCamera.h"

namespace pelmora::sim {

// `cameraNow` is the camera's own clock (UTC plus its offset): GetSystemDateAndTime tells it.
std::string operationResponse(onvif::DeviceOperation operation, const OnvifSimCamera& camera,
                              std::chrono::sys_seconds cameraNow);

// Where the camera's services are, for clients that ask before anything else (GetServices,
// and GetCapabilities, which it replaced): the device service alone, at `xaddr`.
std::string servicesResponse(std::string_view xaddr);
std::string capabilitiesResponse(std::string_view xaddr);

// A response body element in the envelope every answer has.
std::string responseEnvelope(std::string_view body);

// A fault with code `code` ("env:Sender") and one subcode (`subcode`, "ter:NotAuthorized", or
// none when empty); the reason is escaped as text.
std::string soapFault(std::string_view code, std::string_view subcode, std::string_view reason);

}  // namespace pelmora::sim
