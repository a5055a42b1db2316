// The simulated ONVIF cameras' device service, without a socket: requests made by the tool's own
// request builder, answers read back by the tool's own readers, so a test sees what the tool
// will see. Above all: who gets in, and when a digest's Created time is close enough.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "onvif/DeviceReplies.h"
#include "onvif/DeviceRequests.h"
#include "onvif/DeviceSettings.h"
#include "onvif/NetworkInterfaces.h"
#include "onvif/SoapEnvelope.h"
#include "simulator/DeviceServiceHandler.h"
#include "simulator/OnvifCameraFactory.h"
#include "simulator/UsernameTokenCheck.h"

namespace pelmora::sim {
namespace {

using namespace std::chrono;
using onvif::DeviceOperation;

const sys_seconds kHostNow = sys_days{2026y / 7 / 1} + 9h + 30min;
const OnvifCredentials kCredentials;

OnvifSimCamera cameraWithOffset(seconds offset) {
    OnvifFleetOptions options;
    options.count = 1;
    options.clockOffsets[0] = offset;
    return makeOnvifCameras(options, {}).front();
}

std::string signedRequest(DeviceOperation operation, std::string user, std::string password,
                          sys_seconds created) {
    const onvif::UsernameToken token{std::move(user), std::move(password), std::string(16, '\x5A'),
                                     created};
    return onvif::makeDeviceRequest(operation, &token);
}

std::string faultSubcode(const std::string& body) {
    const auto document = onvif::XmlDocument::parse(body);
    const auto envelope = onvif::soapEnvelope(document);
    const auto fault = envelope ? onvif::readSoapFault(*envelope) : std::nullopt;
    return fault && !fault->subcodes.empty() ? fault->subcodes.front().localName : "";
}

TEST(OnvifDeviceService, credentialsAsTheCameraStandardOrdersThem) {
    const auto threeHours = hours(3);
    const auto info = DeviceOperation::GetDeviceInformation;
    const struct {
        const char* what;
        seconds offset;
        std::string body;
        HttpDigest digest;
        int status;
        const char* subcode;
        Challenge challenge;
    } cases[] = {
        {"no credentials: a Digest challenge", 0s, onvif::makeDeviceRequest(info),
         HttpDigest::Absent, 401, "", Challenge::Fresh},
        {"the right digest", 30s, signedRequest(info, "admin", "password", kHostNow),
         HttpDigest::Absent, 200, "", Challenge::None},
        {"wrong password", 0s, signedRequest(info, "admin", "Password", kHostNow),
         HttpDigest::Absent, 400, "NotAuthorized", Challenge::None},
        {"wrong user", 0s, signedRequest(info, "root", "password", kHostNow), HttpDigest::Absent,
         400, "NotAuthorized", Challenge::None},
        {"clock 3 h ahead, Created uncorrected", threeHours,
         signedRequest(info, "admin", "password", kHostNow), HttpDigest::Absent, 400,
         "NotAuthorized", Challenge::None},
        {"clock 3 h ahead, Created corrected", threeHours,
         signedRequest(info, "admin", "password", kHostNow + threeHours), HttpDigest::Absent, 200,
         "", Challenge::None},
        {"clock 3 h behind, Created corrected", -threeHours,
         signedRequest(info, "admin", "password", kHostNow - threeHours), HttpDigest::Absent, 200,
         "", Challenge::None},
        {"Created 4 min off the camera's clock", 0s,
         signedRequest(info, "admin", "password", kHostNow - 4min), HttpDigest::Absent, 200, "",
         Challenge::None},
        {"Created 6 min off the camera's clock", 0s,
         signedRequest(info, "admin", "password", kHostNow + 6min), HttpDigest::Absent, 400,
         "NotAuthorized", Challenge::None},
        {"HTTP Digest alone", 0s, onvif::makeDeviceRequest(info), HttpDigest::Valid, 200, "",
         Challenge::None},
        {"wrong HTTP Digest", 0s, onvif::makeDeviceRequest(info), HttpDigest::Invalid, 401, "",
         Challenge::Fresh},
        {"HTTP Digest on an expired nonce", 0s, onvif::makeDeviceRequest(info), HttpDigest::Stale,
         401, "", Challenge::Stale},
        {"HTTP Digest first, then a wrong token", 0s,
         signedRequest(info, "admin", "wrong", kHostNow), HttpDigest::Valid, 400, "NotAuthorized",
         Challenge::None},
        {"where the services are is public", 0s,
         R"(<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope"><e:Body>)"
         R"(<GetServices xmlns="http://www.onvif.org/ver10/device/wsdl"/></e:Body></e:Envelope>)",
         HttpDigest::Absent, 200, "", Challenge::None},
        {"the clock is public", 0s, onvif::makeDeviceRequest(DeviceOperation::GetSystemDateAndTime),
         HttpDigest::Absent, 200, "", Challenge::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto camera = cameraWithOffset(c.offset);
        const auto answer = answerDeviceRequest(
            camera, kCredentials, {"POST", kDeviceServicePath, c.body, false, c.digest}, kHostNow);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(faultSubcode(answer.body), c.subcode);
        EXPECT_EQ(answer.challenge, c.challenge);
    }
}

TEST(OnvifDeviceService, misbehavingCamerasAndRequestsThatAreNotOne) {
    auto refusing = cameraWithOffset(0s);
    refusing.refusesCredentials = true;
    auto faulty = cameraWithOffset(0s);
    faulty.faulty = true;
    const auto plain = cameraWithOffset(0s);
    // The requests outlive the table, which only looks at them.
    const auto good = signedRequest(DeviceOperation::GetDNS, "admin", "password", kHostNow);
    const auto withoutToken = onvif::makeDeviceRequest(DeviceOperation::GetDNS);
    const auto clock = onvif::makeDeviceRequest(DeviceOperation::GetSystemDateAndTime);
    const auto doctype = "<!DOCTYPE e [<!ENTITY x 'y'>]>" + good;
    const auto unknown = std::string(
        R"(<e:Envelope xmlns:e="http://www.w3.org/2003/05/soap-envelope"><e:Body>)"
        R"(<GetUsers xmlns="http://www.onvif.org/ver10/device/wsdl"/></e:Body></e:Envelope>)");
    const struct {
        const char* what;
        const OnvifSimCamera& camera;
        DeviceServiceRequest request;
        int status;
        const char* subcode;
    } cases[] = {
        {"refusing: the right token",
         refusing,
         {"POST", kDeviceServicePath, good},
         400,
         "NotAuthorized"},
        {"refusing: the right HTTP Digest",
         refusing,
         {"POST", kDeviceServicePath, withoutToken, false, HttpDigest::Valid},
         401,
         ""},
        {"faulty: even the public clock",
         faulty,
         {"POST", kDeviceServicePath, clock},
         500,
         "Action"},
        {"another path", plain, {"POST", "/onvif/media_service", good}, 404, ""},
        {"not a POST", plain, {"GET", kDeviceServicePath, ""}, 405, ""},
        {"too large", plain, {"POST", kDeviceServicePath, good, true}, 413, ""},
        {"not XML", plain, {"POST", kDeviceServicePath, "<e:Envelope"}, 400, "WellFormed"},
        {"with a DOCTYPE", plain, {"POST", kDeviceServicePath, doctype}, 400, "WellFormed"},
        {"an operation it does not have",
         plain,
         {"POST", kDeviceServicePath, unknown},
         500,
         "ActionNotSupported"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto camera = c.camera;
        const auto answer = answerDeviceRequest(camera, kCredentials, c.request, kHostNow);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(faultSubcode(answer.body), c.subcode);
    }
}

TEST(OnvifDeviceService, answersReadBackAsTheCameraIs) {
    OnvifFleetOptions options;
    options.count = 4;  // camera 3 is on DHCP
    options.clockOffsets[0] = -hours(3) - minutes(12);
    auto cameras = makeOnvifCameras(options, {});
    for (const auto index : {0, 3}) {
        auto& camera = cameras[static_cast<std::size_t>(index)];
        SCOPED_TRACE(camera.name);
        camera.httpPort = 8081;
        auto ask = [&](DeviceOperation operation) {
            const auto body =
                signedRequest(operation, "admin", "password", kHostNow + camera.clockOffset);
            return answerDeviceRequest(camera, kCredentials, {"POST", kDeviceServicePath, body},
                                       kHostNow)
                .body;
        };
        EXPECT_EQ(
            onvif::readSystemDateAndTime(ask(DeviceOperation::GetSystemDateAndTime)).value->utc,
            kHostNow + camera.clockOffset);
        const auto info = onvif::readDeviceInformation(ask(DeviceOperation::GetDeviceInformation));
        EXPECT_EQ(info.value->manufacturer, camera.manufacturer);
        EXPECT_EQ(info.value->serialNumber, camera.serialNumber);

        const auto interfaces =
            onvif::readNetworkInterfaces(ask(DeviceOperation::GetNetworkInterfaces)).value;
        ASSERT_TRUE(interfaces && interfaces->size() == 1);
        EXPECT_EQ(interfaces->front().hardwareAddress->text(), camera.mac);
        EXPECT_EQ(interfaces->front().dhcp, camera.dhcp);
        const auto address = onvif::currentIpv4(interfaces->front());
        EXPECT_EQ(address->address, camera.ipAddress);
        EXPECT_EQ(address->prefixLength, 24);

        EXPECT_EQ(onvif::readNetworkDefaultGateway(ask(DeviceOperation::GetNetworkDefaultGateway))
                      .value->ipv4,
                  std::vector<Ipv4>{camera.gateway});
        const auto dns = onvif::readDns(ask(DeviceOperation::GetDNS)).value;
        EXPECT_EQ(dns->fromDhcp, camera.dhcp);
        EXPECT_EQ(camera.dhcp ? dns->dhcp : dns->manual, camera.dns);
        const auto protocols =
            onvif::readNetworkProtocols(ask(DeviceOperation::GetNetworkProtocols)).value;
        EXPECT_EQ(protocols->front().ports, std::vector<std::uint16_t>{8081});
        EXPECT_EQ(onvif::readScopes(ask(DeviceOperation::GetScopes)).value->size(),
                  onvifScopes(camera).size());
    }
}

TEST(OnvifDeviceService, createdTimesAsClientsWriteThem) {
    const auto base = sys_days{2026y / 7 / 1} + 9h + 30min + 5s;
    const struct {
        const char* text;
        std::optional<sys_seconds> time;
    } cases[] = {
        {"2026-07-01T09:30:05Z", base},         {"2026-07-01T09:30:05.123Z", base},
        {"2026-07-01T09:30:05", base},          {"2026-07-01T09:30:05+02:00", std::nullopt},
        {"2026-02-30T09:30:05Z", std::nullopt}, {"2026-07-01 09:30:05Z", std::nullopt},
        {"2026-07-01T9:30:05Z", std::nullopt},  {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseCreated(c.text), c.time) << c.text;
    }
}

// Set requests made by the tool's own builder: what the camera took, its next answers report;
// what it cannot take is refused with its reason, and nothing of it is kept.
TEST(OnvifDeviceService, settingsTakenAreReportedAndBadOnesRefused) {
    auto camera = cameraWithOffset(hours(3));
    const auto send = [&](const onvif::SettingRequest& request) {
        const onvif::UsernameToken token{"admin", "password", std::string(16, '\x5A'),
                                         kHostNow + camera.clockOffset};
        return answerDeviceRequest(
            camera, kCredentials,
            {"POST", kDeviceServicePath, onvif::makeSettingEnvelope(request, &token)}, kHostNow);
    };
    onvif::OnvifCamera read;
    read.interfaceToken = "eth0";
    read.dhcp = camera.dhcp;
    read.ipAddress = camera.ipAddress;
    read.prefixLength = camera.prefixLength;
    onvif::NetworkChange change;
    change.dhcp = false;
    change.ipAddress = Ipv4{10, 9, 0, 7};
    change.prefixLength = 16;
    change.gateway = Ipv4{10, 9, 0, 1};
    change.dnsFromDhcp = false;
    change.dns = {Ipv4{9, 9, 9, 9}};
    change.httpPort = 8080;
    change.ntpServer = "ntp.example.net";
    std::string error;
    const auto requests = onvif::networkRequests(read, change, &error);
    ASSERT_TRUE(requests) << error;
    for (const auto& request : *requests) {
        const auto answer = send(request);
        ASSERT_EQ(answer.status, 200) << onvif::operationName(request.operation);
        EXPECT_EQ(onvif::readSettingAccepted(answer.body, request.operation).value, true);
    }
    EXPECT_EQ(camera.ipAddress, (Ipv4{10, 9, 0, 7}));
    EXPECT_EQ(camera.prefixLength, 16);
    EXPECT_FALSE(camera.dhcp);
    EXPECT_EQ(camera.gateway, (Ipv4{10, 9, 0, 1}));
    EXPECT_EQ(camera.dns, (std::vector<Ipv4>{Ipv4{9, 9, 9, 9}}));
    EXPECT_EQ(camera.webPort, 8080);
    EXPECT_EQ(camera.ntpServer, "ntp.example.net");

    EXPECT_EQ(send(onvif::clockRequest(kHostNow + 42s, "JST-9")).status, 200);
    EXPECT_EQ(camera.clockOffset, 42s);
    EXPECT_EQ(camera.timeZone, "JST-9");
    EXPECT_EQ(onvif::readRebootMessage(send(onvif::rebootRequest()).body).value,
              "Rebooting in 30 seconds");

    read.interfaceToken = "eth1";
    onvif::NetworkChange other;
    other.ipAddress = Ipv4{10, 9, 0, 8};
    const auto refused = send(onvif::networkRequests(read, other, &error)->front());
    EXPECT_EQ(refused.status, 400);
    EXPECT_EQ(faultSubcode(refused.body), "InvalidArgVal");
    EXPECT_EQ(camera.ipAddress, (Ipv4{10, 9, 0, 7})) << "a refused request changes nothing";
}

}  // namespace
}  // namespace pelmora::sim
