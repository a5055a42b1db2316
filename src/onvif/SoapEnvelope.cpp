#include "onvif/SoapEnvelope.h"

#include "onvif/Namespaces.h"

namespace pelmora::onvif {
namespace {

QualifiedName resolvedText(const XmlElement& element) {
    return element.resolve(element.text());
}

bool refusesCredentials(const QualifiedName& name) {
    // Cameras spell the error namespace in more than one way; the name alone is telling enough.
    return name.localName == "NotAuthorized" || name.localName == "FailedAuthentication";
}

SoapFault readFault12(const XmlElement& fault) {
    SoapFault read;
    if (const auto code = fault.child(ns::kSoap12, "Code")) {
        if (const auto value = code->child(ns::kSoap12, "Value")) {
            read.code = resolvedText(*value);
        }
        auto subcode = code->child(ns::kSoap12, "Subcode");
        while (subcode && read.subcodes.size() < kMaxSubcodes) {
            if (const auto value = subcode->child(ns::kSoap12, "Value")) {
                read.subcodes.push_back(resolvedText(*value));
            }
            subcode = subcode->child(ns::kSoap12, "Subcode");
        }
    }
    if (const auto reason = fault.child(ns::kSoap12, "Reason")) {
        if (const auto text = reason->child(ns::kSoap12, "Text")) {
            read.reason = text->text();
        }
    }
    return read;
}

// SOAP 1.1 writes a fault's children without a namespace.
SoapFault readFault11(const XmlElement& fault) {
    SoapFault read;
    if (const auto code = fault.child("", "faultcode")) {
        read.code = resolvedText(*code);
    }
    if (const auto reason = fault.child("", "faultstring")) {
        read.reason = reason->text();
    }
    return read;
}

}  // namespace

std::optional<SoapEnvelope> soapEnvelope(const XmlDocument& document) {
    const auto root = document.root();
    if (!root) {
        return std::nullopt;
    }
    for (const auto soap : {ns::kSoap12, ns::kSoap11}) {
        if (root->is(soap, "Envelope")) {
            return SoapEnvelope{root->child(soap, "Header"), root->child(soap, "Body"), soap};
        }
    }
    return std::nullopt;
}

bool SoapFault::notAuthorized() const {
    if (refusesCredentials(code)) {
        return true;
    }
    for (const auto& subcode : subcodes) {
        if (refusesCredentials(subcode)) {
            return true;
        }
    }
    return false;
}

std::optional<SoapFault> readSoapFault(const SoapEnvelope& envelope) {
    if (!envelope.body) {
        return std::nullopt;
    }
    const auto fault = envelope.body->child(envelope.envelopeNamespace, "Fault");
    if (!fault) {
        return std::nullopt;
    }
    return envelope.envelopeNamespace == ns::kSoap12 ? readFault12(*fault) : readFault11(*fault);
}

}  // namespace pelmora::onvif
