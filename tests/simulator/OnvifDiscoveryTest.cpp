// The simulated ONVIF cameras' discovery answers and make-up: probes made by the tool's own
// probe builder, answers read by the tool's own reader, in both versions of WS-Discovery.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "onvif/DiscoveryMessage.h"
#include "onvif/DiscoveryProbe.h"
#include "onvif/DiscoveryScopes.h"
#include "simulator/CameraFactory.h"
#include "simulator/OnvifCameraFactory.h"
#include "simulator/ProbeAnswer.h"

namespace pelmora::sim {
namespace {

using onvif::DiscoveryVersion;

OnvifSimCamera firstCamera() {
    OnvifFleetOptions options;
    options.count = 1;
    return makeOnvifCameras(options, {}).front();
}

TEST(OnvifDiscovery, answersEachVersionInItsOwnAndReadsBackAsACamera) {
    const auto camera = firstCamera();
    for (const auto version : {DiscoveryVersion::Draft2005, DiscoveryVersion::Oasis2009}) {
        SCOPED_TRACE(static_cast<int>(version));
        const auto probe = readProbe(onvif::makeProbe("urn:uuid:probe-1", version));
        ASSERT_TRUE(probe);
        EXPECT_EQ(probe->version, version);
        EXPECT_EQ(probe->messageId, "urn:uuid:probe-1");
        EXPECT_TRUE(probeAsksFor(*probe, camera));

        const auto xaddr = "http://10.9.0.2:8081/onvif/device_service";
        const auto answer = onvif::readDiscoveryMessage(
            makeProbeMatches(*probe, camera, xaddr, "urn:uuid:answer-1"));
        EXPECT_EQ(answer.kind, onvif::DiscoveryKind::ProbeMatches);
        EXPECT_EQ(answer.version, version);
        EXPECT_EQ(answer.relatesTo, "urn:uuid:probe-1");
        ASSERT_EQ(answer.matches.size(), 1u);
        const auto& match = answer.matches.front();
        EXPECT_EQ(match.endpoint, "urn:uuid:4f4e5649-0000-4000-8000-024f4e000001");
        EXPECT_TRUE(onvif::isOnvifCamera(match.types));
        EXPECT_EQ(match.types.size(), 2u);
        EXPECT_EQ(match.xaddrs, std::vector<std::string>{xaddr});
        EXPECT_EQ(onvif::scopeValue(match.scopes, "name"), "ONVIF Sim 1");
        EXPECT_EQ(onvif::scopeValue(match.scopes, "hardware"), camera.model);
        EXPECT_EQ(onvif::scopeValue(match.scopes, "location"), camera.location);
    }
}

std::string probeFor(const std::string& filter) {
    return R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
           R"(xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" )"
           R"(xmlns:dn="http://www.onvif.org/ver10/network/wsdl" )"
           R"(xmlns:tds="http://www.onvif.org/ver10/device/wsdl" )"
           R"(xmlns:p="http://schemas.xmlsoap.org/ws/2006/02/devprof"><s:Body><d:Probe>)" +
           filter + "</d:Probe></s:Body></s:Envelope>";
}

TEST(OnvifDiscovery, onlyProbesThatAskForWhatTheCameraIs) {
    const auto camera = firstCamera();
    const struct {
        const char* filter;
        bool answered;
    } cases[] = {
        {"", true},
        {"<d:Types>tds:Device</d:Types>", true},
        {"<d:Types>dn:NetworkVideoTransmitter tds:Device</d:Types>", true},
        {"<d:Types>p:Device</d:Types>", false},  // what PCs and printers answer
        {"<d:Types>dn:NetworkVideoTransmitter p:Device</d:Types>", false},
        {"<d:Scopes>onvif://www.onvif.org/name</d:Scopes>", true},
        {"<d:Scopes>onvif://www.onvif.org/name/ONVIF%20Sim%201</d:Scopes>", true},
        {"<d:Scopes>onvif://www.onvif.org/na</d:Scopes>", false},
        {"<d:Scopes>onvif://www.onvif.org/location/Attic</d:Scopes>", false},
        {R"(<d:Scopes MatchBy="http://schemas.xmlsoap.org/ws/2005/04/discovery/strcmp0">)"
         "onvif://www.onvif.org/name</d:Scopes>",
         false},
        {R"(<d:Scopes MatchBy="http://schemas.xmlsoap.org/ws/2005/04/discovery/strcmp0">)"
         "onvif://www.onvif.org/Profile/Streaming</d:Scopes>",
         true},
        {R"(<d:Scopes MatchBy="urn:unknown">onvif://www.onvif.org/name</d:Scopes>)", false},
    };
    for (const auto& c : cases) {
        const auto probe = readProbe(probeFor(c.filter));
        ASSERT_TRUE(probe) << c.filter;
        EXPECT_EQ(probeAsksFor(*probe, camera), c.answered) << c.filter;
    }
    EXPECT_FALSE(readProbe(std::string(kMaxProbeBytes + 1, ' ')));
    EXPECT_FALSE(readProbe(
        R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body>)"
        R"(<d:Hello xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery"/></s:Body></s:Envelope>)"));
}

TEST(OnvifDiscovery, whichCamerasMisbehaveAndWhoseAddressAndMacTheyShare) {
    std::vector<SimCamera> own;
    for (int i = 0; i < 3; ++i) {
        own.push_back(makeCamera(i, kDefaultMacPrefix));
    }
    OnvifFleetOptions options;
    options.count = 8;
    options.ignoreMulticast = 2;
    options.slow = 1;
    options.faulty = 2;
    options.refusing = 3;
    options.macOfOwn = {1};
    options.addressOfOwn = {2};
    options.addresses = {*parseFixedAddressing("10.1.0.9/255.255.0.0/0.0.0.0")};
    const auto cameras = makeOnvifCameras(options, own);
    std::string traits;
    std::set<std::string> macs;
    std::set<std::string> endpoints;
    for (const auto& camera : cameras) {
        traits += camera.ignoresMulticast ? 'm' : '.';
        traits += camera.slow ? 's' : camera.faulty ? 'f' : camera.refusesCredentials ? 'r' : '.';
        macs.insert(camera.mac);
        endpoints.insert(camera.endpoint);
    }
    EXPECT_EQ(traits, "m.m..s.f.f.r.r.r");
    EXPECT_EQ(endpoints.size(), cameras.size());
    EXPECT_EQ(macs.size(), cameras.size());
    EXPECT_FALSE(macs.contains(own[0].mac));
    EXPECT_EQ(cameras[1].mac, own[1].mac);
    EXPECT_EQ(cameras[2].ipAddress, own[2].ipAddress);
    EXPECT_EQ(cameras[0].ipAddress, (Ipv4{10, 1, 0, 9}));
    EXPECT_EQ(cameras[0].prefixLength, 16);
    EXPECT_TRUE(cameras[0].dns.empty());
    EXPECT_NE(cameras[3].ipAddress, cameras[4].ipAddress);
}

}  // namespace
}  // namespace pelmora::sim
