#include "onvif/DeviceReply.h"

#include "onvif/Namespaces.h"

namespace pelmora::onvif {

std::optional<XmlElement> findResponse(const XmlDocument& document, std::string_view responseName,
                                       std::optional<SoapFault>& fault, std::string& problem) {
    if (document.refusal() != XmlRefusal::None) {
        problem = refusalText(document.refusal());
        return std::nullopt;
    }
    const auto envelope = soapEnvelope(document);
    if (!envelope) {
        problem = "not a SOAP envelope";
        return std::nullopt;
    }
    fault = readSoapFault(*envelope);
    if (fault) {
        return std::nullopt;
    }
    if (!envelope->body) {
        problem = "no SOAP body";
        return std::nullopt;
    }
    if (auto response = envelope->body->child(ns::kDeviceWsdl, responseName)) {
        return response;
    }
    problem = "no " + std::string(responseName) + " in the body";
    return std::nullopt;
}

}  // namespace pelmora::onvif
