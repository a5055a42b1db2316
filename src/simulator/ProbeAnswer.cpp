#include "simulator/ProbeAnswer.h"

#include <algorithm>

#include "onvif/Namespaces.h"
#include "onvif/SoapEnvelope.h"
#include "onvif/XmlText.h"
#include "simulator/OnvifCameraFactory.h"

namespace pelmora::sim {
namespace {

namespace ns = onvif::ns;
using onvif::DiscoveryVersion;
using onvif::QualifiedName;
using onvif::XmlElement;

constexpr std::size_t kListTextCap = 8 * 1024;
constexpr std::size_t kMaxAskedItems = 32;

const char* const kDefaultMatchBy2005 = "http://schemas.xmlsoap.org/ws/2005/04/discovery/rfc3986";
const char* const kDefaultMatchBy2009 =
    "http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01/rfc3986";

std::optional<XmlElement> addressingChild(const XmlElement& parent, std::string_view name) {
    if (auto found = parent.child(ns::kAddressing2004, name)) {
        return found;
    }
    return parent.child(ns::kAddressing2005, name);
}

bool hasType(const QualifiedName& asked) {
    return asked == QualifiedName{std::string(ns::kNetworkWsdl), "NetworkVideoTransmitter"} ||
           asked == QualifiedName{std::string(ns::kDeviceWsdl), "Device"};
}

// "onvif://www.onvif.org/name" is a prefix of ".../name/Lobby" but not of ".../names".
bool scopeCovers(std::string_view asked, std::string_view scope, bool exact) {
    if (exact || asked.size() >= scope.size()) {
        return asked == scope;
    }
    return scope.starts_with(asked) && (asked.ends_with('/') || scope[asked.size()] == '/');
}

}  // namespace

std::optional<ProbeRequest> readProbe(std::string_view bytes) {
    if (bytes.size() > kMaxProbeBytes) {
        return std::nullopt;
    }
    const auto document = onvif::XmlDocument::parse(bytes);
    const auto envelope = onvif::soapEnvelope(document);
    const auto probe = envelope && envelope->body ? envelope->body->firstChild() : std::nullopt;
    if (!probe || probe->localName() != "Probe") {
        return std::nullopt;
    }
    ProbeRequest request;
    if (probe->namespaceUri() == ns::kDiscovery2005) {
        request.version = DiscoveryVersion::Draft2005;
    } else if (probe->namespaceUri() == ns::kDiscovery2009) {
        request.version = DiscoveryVersion::Oasis2009;
    } else {
        return std::nullopt;
    }
    if (envelope->header) {
        if (const auto id = addressingChild(*envelope->header, "MessageID")) {
            request.messageId = id->text();
        }
    }
    const auto discovery = probe->namespaceUri();
    if (const auto types = probe->child(discovery, "Types")) {
        for (const auto& name :
             onvif::splitXmlList(types->text(kListTextCap), kMaxAskedItems, onvif::kMaxTextBytes)) {
            request.types.push_back(types->resolve(name));
        }
    }
    if (const auto scopes = probe->child(discovery, "Scopes")) {
        request.scopes =
            onvif::splitXmlList(scopes->text(kListTextCap), kMaxAskedItems, onvif::kMaxTextBytes);
        request.matchBy = scopes->attribute("MatchBy").value_or("");
        if (request.matchBy == kDefaultMatchBy2005 || request.matchBy == kDefaultMatchBy2009) {
            request.matchBy.clear();
        }
    }
    return request;
}

bool probeAsksFor(const ProbeRequest& probe, const OnvifSimCamera& camera) {
    if (!std::all_of(probe.types.begin(), probe.types.end(), hasType)) {
        return false;
    }
    if (probe.scopes.empty()) {
        return true;
    }
    const bool exact = probe.matchBy.ends_with("/strcmp0");
    if (!probe.matchBy.empty() && !exact) {
        return false;  // a rule this camera does not know matches nothing
    }
    const auto scopes = onvifScopes(camera);
    return std::all_of(probe.scopes.begin(), probe.scopes.end(), [&](const std::string& asked) {
        return std::any_of(scopes.begin(), scopes.end(), [&](const OnvifScope& scope) {
            return scopeCovers(asked, scope.uri, exact);
        });
    });
}

std::string makeProbeMatches(const ProbeRequest& probe, const OnvifSimCamera& camera,
                             std::string_view xaddr, std::string_view messageId) {
    const bool draft = probe.version == DiscoveryVersion::Draft2005;
    const auto discovery = draft ? ns::kDiscovery2005 : ns::kDiscovery2009;
    const auto addressing = draft ? ns::kAddressing2004 : ns::kAddressing2005;
    const std::string_view anonymous =
        draft ? "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous"
              : "http://www.w3.org/2005/08/addressing/anonymous";
    std::string scopes;
    for (const auto& scope : onvifScopes(camera)) {
        scopes += scopes.empty() ? "" : " ";
        scopes += scope.uri;
    }
    std::string out;
    out.reserve(1600);
    out += R"(<?xml version="1.0" encoding="UTF-8"?>)";
    out += R"(<SOAP-ENV:Envelope xmlns:SOAP-ENV=")";
    out += ns::kSoap12;
    out += R"(" xmlns:wsa=")";
    out += addressing;
    out += R"(" xmlns:d=")";
    out += discovery;
    out += R"(" xmlns:dn=")";
    out += ns::kNetworkWsdl;
    out += R"(" xmlns:tds=")";
    out += ns::kDeviceWsdl;
    out += R"("><SOAP-ENV:Header><wsa:MessageID>)";
    out += onvif::escapeXml(messageId);
    out += "</wsa:MessageID><wsa:RelatesTo>";
    out += onvif::escapeXml(probe.messageId);
    out += "</wsa:RelatesTo><wsa:To SOAP-ENV:mustUnderstand=\"true\">";
    out += anonymous;
    out += "</wsa:To><wsa:Action SOAP-ENV:mustUnderstand=\"true\">";
    out += discovery;
    out += "/ProbeMatches</wsa:Action>";
    out += R"(<d:AppSequence InstanceId="1" MessageNumber="1"/></SOAP-ENV:Header>)";
    out += "<SOAP-ENV:Body><d:ProbeMatches><d:ProbeMatch><wsa:EndpointReference><wsa:Address>";
    out += camera.endpoint;
    out += "</wsa:Address></wsa:EndpointReference>";
    out += "<d:Types>dn:NetworkVideoTransmitter tds:Device</d:Types><d:Scopes>";
    out += onvif::escapeXml(scopes);
    out += "</d:Scopes><d:XAddrs>";
    out += onvif::escapeXml(xaddr);
    out += "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion>";
    out += "</d:ProbeMatch></d:ProbeMatches></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return out;
}

}  // namespace pelmora::sim
