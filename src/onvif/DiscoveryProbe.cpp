#include "onvif/DiscoveryProbe.h"

#include "onvif/Namespaces.h"
#include "onvif/XmlText.h"

namespace pelmora::onvif {
namespace {

struct VersionNames {
    std::string_view discovery;
    std::string_view addressing;
    // The well-known address of the discovery targets, where a probe is sent.
    std::string_view to;
};

VersionNames namesOf(DiscoveryVersion version) {
    if (version == DiscoveryVersion::Oasis2009) {
        return {ns::kDiscovery2009, ns::kAddressing2005,
                "urn:docs-oasis-open-org:ws-dd:ns:discovery:2009:01"};
    }
    return {ns::kDiscovery2005, ns::kAddressing2004,
            "urn:schemas-xmlsoap-org:ws:2005:04:discovery"};
}

}  // namespace

std::string makeProbe(std::string_view messageId, DiscoveryVersion version) {
    const auto names = namesOf(version);
    std::string probe;
    probe.reserve(700);
    probe += R"(<?xml version="1.0" encoding="UTF-8"?>)";
    probe += R"(<s:Envelope xmlns:s=")";
    probe += ns::kSoap12;
    probe += R"(" xmlns:a=")";
    probe += names.addressing;
    probe += R"(" xmlns:d=")";
    probe += names.discovery;
    probe += R"(" xmlns:dn=")";
    probe += ns::kNetworkWsdl;
    probe += R"("><s:Header><a:MessageID>)";
    probe += escapeXml(messageId);
    probe += R"(</a:MessageID><a:To s:mustUnderstand="1">)";
    probe += names.to;
    probe += R"(</a:To><a:Action s:mustUnderstand="1">)";
    probe += names.discovery;
    probe += R"(/Probe</a:Action></s:Header>)";
    probe += R"(<s:Body><d:Probe><d:Types>dn:NetworkVideoTransmitter</d:Types></d:Probe>)";
    probe += R"(</s:Body></s:Envelope>)";
    return probe;
}

}  // namespace pelmora::onvif
