#pragma once
// The SOAP envelope around every message, and the fault a device answers with instead of a
// response: a code, subcodes (e.g. ter:NotAuthorized for refused credentials) and a reason a
// person can read. Reasons are camera texts: plain text to show, never markup to interpret.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "onvif/XmlDocument.h"

namespace pelmora::onvif {

struct SoapEnvelope {
    std::optional<XmlElement> header;
    std::optional<XmlElement> body;
    // SOAP 1.2's, or SOAP 1.1's for older firmware.
    std::string_view envelopeNamespace;
};

// Nothing when the document was refused or its root is not a SOAP Envelope.
std::optional<SoapEnvelope> soapEnvelope(const XmlDocument& document);

inline constexpr std::size_t kMaxSubcodes = 4;

struct SoapFault {
    QualifiedName code;  // env:Sender, env:Receiver, ...
    // Outermost first; SOAP 1.2 only.
    std::vector<QualifiedName> subcodes;
    std::string reason;

    // The device refused the credentials (or asked for some): ter:NotAuthorized, or WS-Security's
    // FailedAuthentication, as a code or any subcode.
    bool notAuthorized() const;
};

// The fault in the envelope's body, if that is what it holds.
std::optional<SoapFault> readSoapFault(const SoapEnvelope& envelope);

}  // namespace pelmora::onvif
