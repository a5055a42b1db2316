// WS-Discovery as cameras and other responders send it: the probe we send read back, the
// answers in both versions and with any prefixes, and one camera per device however often it
// answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Samples.h"
#include "onvif/DiscoveryCollector.h"
#include "onvif/DiscoveryMessage.h"
#include "onvif/DiscoveryProbe.h"
#include "onvif/DiscoveryScopes.h"
#include "onvif/Namespaces.h"
#include "onvif/SoapEnvelope.h"

namespace pelmora::onvif {
namespace {

using Strings = std::vector<std::string>;

DiscoveryMessage read(const char* name) {
    return readDiscoveryMessage(sample("onvif_discovery", name));
}

TEST(DiscoveryProbe, asksForVideoTransmittersInEitherVersion) {
    const struct {
        DiscoveryVersion version;
        std::string_view discovery, addressing, to;
    } cases[] = {
        {DiscoveryVersion::Draft2005, ns::kDiscovery2005, ns::kAddressing2004,
         "urn:schemas-xmlsoap-org:ws:2005:04:discovery"},
        {DiscoveryVersion::Oasis2009, ns::kDiscovery2009, ns::kAddressing2005,
         "urn:docs-oasis-open-org:ws-dd:ns:discovery:2009:01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        const auto document = XmlDocument::parse(makeProbe("urn:uuid:1&2", c.version));
        const auto envelope = soapEnvelope(document);
        ASSERT_TRUE(envelope && envelope->header && envelope->body);
        EXPECT_EQ(envelope->envelopeNamespace, ns::kSoap12);
        EXPECT_EQ(envelope->header->child(c.addressing, "MessageID")->text(), "urn:uuid:1&2");
        EXPECT_EQ(envelope->header->child(c.addressing, "To")->text(), c.to);
        EXPECT_EQ(envelope->header->child(c.addressing, "Action")->text(),
                  std::string(c.discovery) + "/Probe");
        const auto types = envelope->body->child(c.discovery, "Probe")->child(c.discovery, "Types");
        ASSERT_TRUE(types);
        EXPECT_EQ(types->resolve(types->text()),
                  (QualifiedName{std::string(ns::kNetworkWsdl), "NetworkVideoTransmitter"}));
    }
}

TEST(DiscoveryMessage, readsEachKindWhateverThePrefixesAndVersion) {
    const struct {
        const char* file;
        DiscoveryKind kind;
        DiscoveryVersion version;
        std::size_t matches;
        bool camera;
        const char* endpoint;
        Strings xaddrs;
    } cases[] = {
        {"probe-matches-2005.xml",
         DiscoveryKind::ProbeMatches,
         DiscoveryVersion::Draft2005,
         1,
         true,
         "urn:uuid:4D7A1C2E-0B3F-4E5D-A6C7-00408C1A2B3C",
         {"http://192.168.0.64/onvif/device_service",
          "http://[fe80::240:8cff:fe1a:2b3c]/onvif/device_service"}},
        {"probe-matches-2009.xml",
         DiscoveryKind::ProbeMatches,
         DiscoveryVersion::Oasis2009,
         2,
         true,
         "urn:uuid:a1b2c3d4-0000-4000-8000-000000000001",
         {"http://10.1.0.20:8080/onvif/device_service"}},
        {"hello.xml",
         DiscoveryKind::Hello,
         DiscoveryVersion::Draft2005,
         1,
         true,
         "urn:uuid:4d7a1c2e-0b3f-4e5d-a6c7-00408c1a2b3c",
         {"http://192.168.0.64:8000/onvif/device_service"}},
        {"bye.xml",
         DiscoveryKind::Bye,
         DiscoveryVersion::Draft2005,
         1,
         false,
         "URN:UUID:4D7A1C2E-0B3F-4E5D-A6C7-00408C1A2B3C",
         {}},
        {"not-a-camera.xml",
         DiscoveryKind::ProbeMatches,
         DiscoveryVersion::Draft2005,
         1,
         false,
         "urn:uuid:b7c8d9e0-1111-5222-8333-444455556666",
         {"http://192.168.0.5:5357/b7c8d9e0-1111-5222-8333-444455556666"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto message = read(c.file);
        EXPECT_EQ(message.kind, c.kind);
        EXPECT_EQ(message.version, c.version);
        ASSERT_EQ(message.matches.size(), c.matches);
        const auto& match = message.matches.front();
        EXPECT_EQ(isOnvifCamera(match.types), c.camera);
        EXPECT_EQ(match.endpoint, c.endpoint);
        EXPECT_EQ(match.xaddrs, c.xaddrs);
    }
    EXPECT_EQ(
        read("probe-matches-2009.xml").matches[1].types,
        (std::vector<QualifiedName>{{std::string(ns::kNetworkWsdl), "NetworkVideoTransmitter"}}));
    EXPECT_EQ(readDiscoveryMessage(makeProbe("urn:uuid:x")).kind, DiscoveryKind::Other);
    EXPECT_EQ(readDiscoveryMessage("<!DOCTYPE a><a/>").refusal, XmlRefusal::Doctype);
}

TEST(DiscoveryMessage, keepsWhatTheMatchSaysAboutTheCamera) {
    const auto message = read("probe-matches-2005.xml");
    EXPECT_EQ(message.messageId, "uuid:9b0e2a4c-6f1d-4d3e-8c1a-3e5f00c0ffee");
    EXPECT_EQ(message.relatesTo, "urn:uuid:6e3f7a10-2b4c-4d5e-9f60-718293a4b5c6");
    const auto& match = message.matches.front();
    EXPECT_EQ(match.metadataVersion, 10u);
    EXPECT_EQ(match.types.size(), 2u);
    EXPECT_EQ(match.scopes.size(), 6u);
    EXPECT_EQ(scopeValue(match.scopes, "name"), "Gate North");
    EXPECT_EQ(scopeValue(match.scopes, "hardware"), "IPC-B2 Mini");
    EXPECT_EQ(scopeValues(match.scopes, "location"), (Strings{"country/norway", "city/bergen"}));
    EXPECT_EQ(scopeValue(match.scopes, "serial"), std::nullopt);
    const auto lobby = read("probe-matches-2009.xml").matches.front();
    EXPECT_EQ(scopeValue(lobby.scopes, "name"), "Lobby");
    EXPECT_EQ(scopeValue(lobby.scopes, "hardware"), "DS-2CD");
}

TEST(DiscoveryScopes, percentDecodingLeavesStrayPercentsAndMendsBadBytes) {
    using namespace std::string_literals;
    const struct {
        std::string text, decoded;
    } cases[] = {
        {"Dock%203%2FWest", "Dock 3/West"},
        {"caf%C3%A9", "caf\xC3\xA9"},
        {"100%", "100%"},
        {"%4", "%4"},
        {"%zz%41", "%zzA"},
        {"a+b", "a+b"},
        {"%FF%00x", "\xEF\xBF\xBD\0x"s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(percentDecode(c.text), c.decoded) << c.text;
    }
}

TEST(DiscoveryCollector, oneCameraPerDeviceAndNoOtherResponders) {
    DiscoveryCollector collector;
    EXPECT_EQ(collector.take(read("probe-matches-2005.xml")), 1u);
    EXPECT_EQ(collector.take(read("probe-matches-2005.xml")), 0u);  // the repeat
    EXPECT_EQ(collector.take(read("not-a-camera.xml")), 0u);
    EXPECT_EQ(collector.take(read("probe-matches-2009.xml")), 2u);
    // The first camera again, its UUID in lower case, with another address and a scope more.
    EXPECT_EQ(collector.take(read("hello.xml")), 1u);
    ASSERT_EQ(collector.devices().size(), 3u);
    const auto& gate = collector.devices().front();
    EXPECT_EQ(gate.xaddrs.size(), 3u);
    EXPECT_EQ(scopeValues(gate.scopes, "location").back(), "Dock 3/West");

    auto newer = gate;
    newer.metadataVersion = 11;
    newer.xaddrs = {"http://192.168.0.99/onvif/device_service"};
    EXPECT_EQ(collector.add(newer), DiscoveryCollector::Change::Updated);
    EXPECT_EQ(collector.devices().front().xaddrs, newer.xaddrs);

    EXPECT_EQ(collector.take(read("bye.xml")), 1u);
    ASSERT_EQ(collector.devices().size(), 2u);
    EXPECT_EQ(collector.devices().front().endpoint,
              "urn:uuid:a1b2c3d4-0000-4000-8000-000000000001");
    EXPECT_EQ(collector.remove("urn:uuid:a1b2c3d4-0000-4000-8000-000000000002"),
              DiscoveryCollector::Change::Removed);
    EXPECT_EQ(collector.devices().size(), 1u);
}

}  // namespace
}  // namespace pelmora::onvif
