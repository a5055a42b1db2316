#pragma once
// What reading one answer of the device service gives: the response, or the fault the device
// sent instead, or why the bytes were neither.

#include <optional>
#include <string>
#include <string_view>

#include "onvif/SoapEnvelope.h"
#include "onvif/XmlDocument.h"

namespace pelmora::onvif {

template <typename T>
struct DeviceReply {
    std::optional<T> value;
    std::optional<SoapFault> fault;
    // Why there is neither, in words: "not well-formed XML", "no GetDNSResponse in the body".
    std::string problem;
};

// The device-service element `responseName` in the body of `document`; otherwise nothing, with
// the fault or the problem filled in.
std::optional<XmlElement> findResponse(const XmlDocument& document, std::string_view responseName,
                                       std::optional<SoapFault>& fault, std::string& problem);

// `read` turns the response element into a T; the document lives as long as it runs.
template <typename T, typename Read>
DeviceReply<T> readDeviceReply(std::string_view bytes, std::string_view responseName, Read read) {
    DeviceReply<T> reply;
    const auto document = XmlDocument::parse(bytes);
    if (const auto response = findResponse(document, responseName, reply.fault, reply.problem)) {
        reply.value = read(*response);
    }
    return reply;
}

}  // namespace pelmora::onvif
