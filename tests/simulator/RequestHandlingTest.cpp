#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "SimTestSupport.h"
#include "protocol/Base64.h"
#include "protocol/Dispatch.h"
#include "protocol/Wire.h"
#include "simulator/CameraFleet.h"

namespace pelmora::sim {
namespace {

using test::Admin;
using test::Fields;
using test::kDefaultAdmin;
using test::kNow;
using test::readAsTool;
using test::replyOf;
using test::settingRequest;

// Camera 0 is a PPPoE-capable model on a fixed address; camera 1 has no PPPoE.
const std::string kPppoeMac = "02:50:4D:00:00:01";
const std::string kPlainMac = "02:50:4D:00:00:02";

// The one datagram the fleet answers with, classified as the tool would.
std::optional<DatagramKind> answerTo(CameraFleet& fleet, const std::string& request,
                                     SimTime now = kNow) {
    const auto response = fleet.respond(request, now);
    EXPECT_LE(response.datagrams.size(), 1u);
    if (response.datagrams.empty()) {
        return std::nullopt;
    }
    return classifyDatagram(response.datagrams.front()).kind;
}

constexpr auto kAck = DatagramKind::Acknowledgement;
constexpr auto kNak = DatagramKind::Refusal;

TEST(Credentials, decideWhetherARequestIsApplied) {
    const std::string pppoeAccountLikeAdmin = base64Encode("admin:password");
    struct Case {
        const char* name;
        std::optional<Admin> admin;
        Fields fields;
        DatagramKind expected;
    };
    const Case cases[] = {
        {"correctCredentials", kDefaultAdmin, {{"SETBAND:", "2.0"}}, kAck},
        {"wrongPassword", Admin{"admin", "passwort"}, {{"SETBAND:", "2.0"}}, kNak},
        {"wrongName", Admin{"root", "password"}, {{"SETBAND:", "2.0"}}, kNak},
        {"noCredentials", std::nullopt, {{"SETBAND:", "2.0"}}, kNak},
        {"credentialsNotBase64",
         std::nullopt,
         {{"IDPASS:", "admin:password"}, {"SETBAND:", "2.0"}},
         kNak},
        {"dateTimeWithoutCredentials",
         std::nullopt,
         {{"TIME:", "0503050907006"}, {"TIMEZONE:", "9"}, {"DTFORMAT:", "ymd"}},
         kAck},
        {"dateTimeWithWrongCredentials", Admin{"admin", "x"}, {{"TIME:", "0503050907006"}}, kNak},
        {"dateTimeCannotCarryOtherSettingsUnauthenticated",
         std::nullopt,
         {{"TIME:", "0503050907006"}, {"SETBAND:", "2.0"}},
         kNak},
        {"rebootWithoutCredentials", std::nullopt, {{"REBOOT:", "ON"}}, kNak},
        // A camera matches whole keys: the PPPoE account is not the administrator's.
        {"pppoeAccountIsNotAdministratorCredentials",
         std::nullopt,
         {{"PPPOEFUNC:", "ON"}, {"PPPOEIDPASS:", pppoeAccountLikeAdmin}, {"PPPOEDNSAUTO:", "ON"}},
         kNak},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CameraFleet fleet(FleetOptions{});
        EXPECT_EQ(answerTo(fleet, settingRequest(kPppoeMac, c.admin, c.fields)), c.expected);
    }
}

// Each accepted request must show in the camera's next information reply, as the tool reads it.
TEST(AcceptedRequest, isReflectedInTheNextInformationReply) {
    struct Case {
        const char* name;
        std::string mac;
        Fields fields;
        std::function<void(const CameraRecord&)> check;
    };
    const Case cases[] = {
        {"fixedAddressWithManualDns",
         kPppoeMac,
         {{"DHCP:", "OFF"},
          {"IPADR:", "10.0.1.20"},
          {"MASK:", "255.255.0.0"},
          {"GATEWAY:", "10.0.0.1"},
          {"DNSAUTO:", "OFF"},
          {"DNS2:", "10.0.0.53"},
          {"WEBPORT:", "08080"}},
         [](const CameraRecord& r) {
             EXPECT_EQ(r.dhcp, 0);
             EXPECT_EQ(r.ipAddress, (Ipv4{10, 0, 1, 20}));
             EXPECT_EQ(r.subnetMask, (Ipv4{255, 255, 0, 0}));
             EXPECT_EQ(r.gateway, (Ipv4{10, 0, 0, 1}));
             EXPECT_EQ(r.dnsAuto, 0);
             EXPECT_EQ(r.dns1, Ipv4{}) << "a DNS server left out is blank";
             EXPECT_EQ(r.dns2, (Ipv4{10, 0, 0, 53}));
             EXPECT_EQ(r.webPort, 8080);
         }},
        {"fixedAddressWithoutGatewayHasNone",
         kPppoeMac,
         {{"DHCP:", "OFF"},
          {"IPADR:", "10.0.1.20"},
          {"MASK:", "255.0.0.0"},
          {"DNSAUTO:", "ON"},
          {"WEBPORT:", "80"}},
         [](const CameraRecord& r) {
             EXPECT_EQ(r.gateway, Ipv4{});
             EXPECT_EQ(r.dnsAuto, 1);
             EXPECT_EQ(r.webPort, 80);
         }},
        {"dhcp",
         kPppoeMac,
         {{"DHCP:", "ON"}, {"DNSAUTO:", "ON"}, {"WEBPORT:", "80"}},
         [](const CameraRecord& r) {
             EXPECT_EQ(r.dhcp, 1);
             EXPECT_EQ(r.dnsAuto, 1);
         }},
        {"unlimitedBandwidth",
         kPlainMac,
         {{"SETBAND:", "0.0"}},
         [](const CameraRecord& r) { EXPECT_STREQ(r.currentBand, "unlimited"); }},
        {"bandwidthFromTheList",
         kPlainMac,
         {{"SETBAND:", "0.512"}},
         [](const CameraRecord& r) { EXPECT_STREQ(r.currentBand, "0.512"); }},
        {"dateTimeOnALeapDay",
         kPlainMac,
         {{"TIME:", "0402291530450"}, {"TIMEZONE:", "-12"}, {"DTFORMAT:", "dmy"}},
         [](const CameraRecord& r) {
             EXPECT_EQ(r.clock.yearsSince1900, 104);
             EXPECT_EQ(r.clock.month, 1);
             EXPECT_EQ(r.clock.dayOfMonth, 29);
             EXPECT_EQ(r.clock.hour, 15);
             EXPECT_EQ(r.clock.minute, 30);
             EXPECT_EQ(r.clock.second, 45);
             EXPECT_STREQ(r.timeZone, "-12");
             EXPECT_STREQ(r.dateTimeFormat, "dmy");
         }},
        {"pppoeOnWithManualDns",
         kPppoeMac,
         {{"PPPOEFUNC:", "ON"},
          {"PPPOEIDPASS:", "aXNwLXVzZXI6ZGlhbDpwdw=="},  // "isp-user:dial:pw"
          {"PPPOEDNSAUTO:", "OFF"},
          {"PPPOEDNS1:", "192.0.2.1"},
          {"PPPOEDNS2:", "0.0.0.0"}},
         [](const CameraRecord& r) {
             EXPECT_EQ(r.pppoeOn, 1);
             EXPECT_NE(r.pppoeIpAddress, Ipv4{});
             EXPECT_EQ(r.pppoeDnsAuto, 0);
             EXPECT_EQ(r.pppoeDns1, (Ipv4{192, 0, 2, 1}));
             EXPECT_EQ(r.pppoeDns2, Ipv4{});
             EXPECT_NE(r.dns1, (Ipv4{192, 0, 2, 1})) << "DNS1: must not be read from PPPOEDNS1:";
         }},
        {"pppoeOff",
         kPppoeMac,
         {{"PPPOEFUNC:", "OFF"}},
         [](const CameraRecord& r) {
             EXPECT_EQ(r.pppoeReported, 1);
             EXPECT_EQ(r.pppoeOn, 0);
             EXPECT_EQ(r.pppoeIpAddress, Ipv4{});
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CameraFleet fleet(FleetOptions{});
        ASSERT_EQ(answerTo(fleet, settingRequest(c.mac, kDefaultAdmin, c.fields)), kAck);
        c.check(readAsTool(replyOf(fleet, c.mac)));
    }
}

TEST(AcceptedRequest, setsAClockThatKeepsRunning) {
    CameraFleet fleet(FleetOptions{});
    ASSERT_EQ(
        answerTo(fleet, settingRequest(kPlainMac, std::nullopt, {{"TIME:", "2512312359506"}})),
        kAck);
    SimTime later = kNow;
    later.localSeconds += 15;
    EXPECT_EQ(readKey(replyOf(fleet, kPlainMac, later), "TIME:"), "260101000005");
}

// A refused request changes nothing, even the valid fields that came with the bad one.
TEST(RefusedRequest, leavesTheCameraAsItWas) {
    struct Case {
        const char* name;
        std::string mac;
        Fields fields;
    };
    const Case cases[] = {
        {"bandwidthNotInTheCamerasList", kPlainMac, {{"WEBPORT:", "8081"}, {"SETBAND:", "2.5"}}},
        {"bandwidthAsShownNotAsSent", kPlainMac, {{"SETBAND:", "unlimited"}}},
        {"dayThatDoesNotExist", kPlainMac, {{"TIME:", "0502290000002"}}},
        {"timeWithTwelveDigits", kPlainMac, {{"TIME:", "050305090700"}}},
        {"timeZoneOutOfRange", kPlainMac, {{"TIME:", "0503050907006"}, {"TIMEZONE:", "14"}}},
        {"unknownDateFormat", kPlainMac, {{"DTFORMAT:", "ydm"}}},
        {"portZero", kPlainMac, {{"DHCP:", "ON"}, {"WEBPORT:", "0"}}},
        {"portTooLarge", kPlainMac, {{"DHCP:", "ON"}, {"WEBPORT:", "65536"}}},
        {"shortAddress",
         kPlainMac,
         {{"DHCP:", "OFF"}, {"IPADR:", "10.0.0"}, {"MASK:", "255.0.0.0"}}},
        {"fixedAddressWithoutMask", kPlainMac, {{"DHCP:", "OFF"}, {"IPADR:", "10.0.0.9"}}},
        {"lowerCaseFlag", kPlainMac, {{"DHCP:", "on"}}},
        {"pppoeOnACameraWithoutPppoe", kPlainMac, {{"PPPOEFUNC:", "OFF"}}},
        {"pppoeAccountNotBase64", kPppoeMac, {{"PPPOEFUNC:", "ON"}, {"PPPOEIDPASS:", "user:pw"}}},
        {"pppoeAccountWithoutUser",
         kPppoeMac,
         {{"PPPOEFUNC:", "ON"}, {"PPPOEIDPASS:", "OnB3"}}},  // ":pw"
        {"rebootOff", kPlainMac, {{"REBOOT:", "OFF"}}},
        {"nothingToSet", kPlainMac, {{"COLOR:", "ON"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CameraFleet fleet(FleetOptions{});
        const auto before = replyOf(fleet, c.mac);
        EXPECT_EQ(answerTo(fleet, settingRequest(c.mac, kDefaultAdmin, c.fields)), kNak);
        EXPECT_EQ(replyOf(fleet, c.mac), before);
    }
}

TEST(SettingRequest, forAMacNoCameraHasIsIgnored) {
    CameraFleet fleet(FleetOptions{});
    for (const std::string mac :
         {"02:50:4D:00:00:99", "02:50:4d:00:00:01", "02:50:4D:00:00:0", "02:50:4D:00:00:011", ""}) {
        SCOPED_TRACE(mac);
        EXPECT_TRUE(fleet.respond(settingRequest(mac, kDefaultAdmin, {{"SETBAND:", "0.0"}}), kNow)
                        .datagrams.empty());
    }
}

TEST(Refusal, carriesTheConfiguredMessageText) {
    FleetOptions options;
    options.policy.refuseMessage = "Login failed";
    CameraFleet fleet(options);
    const auto response =
        fleet.respond(settingRequest(kPppoeMac, Admin{"admin", "x"}, {{"SETBAND:", "0.0"}}), kNow);
    ASSERT_EQ(response.datagrams.size(), 1u);
    const auto seen = classifyDatagram(response.datagrams.front());
    EXPECT_EQ(seen.kind, kNak);
    EXPECT_EQ(seen.mac, kPppoeMac);
    EXPECT_EQ(seen.messageText, "Login failed");
}

TEST(CameraBehaviour, silentAndRefusingCamerasAreTheFirstAndLastOfTheFleet) {
    FleetOptions options;
    options.cameraCount = 4;
    options.silentCameras = 1;
    options.refusingCameras = 1;
    CameraFleet fleet(options);
    const auto request = [](const std::string& mac) {
        return settingRequest(mac, kDefaultAdmin, {{"SETBAND:", "0.0"}});
    };
    EXPECT_EQ(answerTo(fleet, request("02:50:4D:00:00:01")), std::nullopt);
    EXPECT_EQ(answerTo(fleet, request("02:50:4D:00:00:02")), kAck);
    EXPECT_EQ(answerTo(fleet, request("02:50:4D:00:00:03")), kAck);
    EXPECT_EQ(answerTo(fleet, request("02:50:4D:00:00:04")), kNak);
    EXPECT_EQ(fleet.respond(buildEnquiry(), kNow).datagrams.size(), 4u)
        << "cameras that ignore settings still answer enquiries";
}

TEST(CameraBehaviour, camerasGivenAnAddressReportItOnAFixedAddress) {
    const struct {
        const char* text;
        std::optional<std::array<const char*, 3>> reported;  // address, mask, gateway
    } cases[] = {
        {"10.2.0.7/255.255.255.0/10.9.9.9", {{"10.2.0.7", "255.255.255.0", "10.9.9.9"}}},
        {"192.168.0.10/255.255.0.0", {{"192.168.0.10", "255.255.0.0", "0.0.0.0"}}},
        {"10.2.0.7", std::nullopt},
        {"10.2.0.7/255.255.255.0/10.9.9.9/1.1.1.1", std::nullopt},
        {"10.2.0.7/24", std::nullopt},
        {"10.2.0.07/255.255.255.0", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto addressing = parseFixedAddressing(c.text);
        ASSERT_EQ(addressing.has_value(), c.reported.has_value());
        if (!addressing) {
            continue;
        }
        FleetOptions options;
        options.cameraCount = 3;  // camera 2 would be on DHCP
        options.addresses = {*addressing, *addressing, *addressing};
        CameraFleet fleet(options);
        const auto record = readAsTool(replyOf(fleet, "02:50:4D:00:00:03"));
        EXPECT_EQ(record.dhcp, 0);
        EXPECT_EQ(formatIpv4(record.ipAddress), (*c.reported)[0]);
        EXPECT_EQ(formatIpv4(record.subnetMask), (*c.reported)[1]);
        EXPECT_EQ(formatIpv4(record.gateway), (*c.reported)[2]);
    }
}

TEST(CameraBehaviour, rebootingCameraAnswersNothingUntilItIsBackUp) {
    FleetOptions options;
    options.cameraCount = 3;
    options.policy.rebootMs = 10'000;
    CameraFleet fleet(options);
    const auto reboot = settingRequest(kPlainMac, std::nullopt, {{"REBOOT:", "ON"}});
    // The tool's reboot request puts "REBOOT:ON" before the credentials.
    const auto authenticReboot =
        SettingRequest(kPlainMac).field("REBOOT:", "ON").credentials("admin", "password").finish();
    ASSERT_EQ(answerTo(fleet, reboot), kNak);
    ASSERT_EQ(answerTo(fleet, authenticReboot), kAck);

    SimTime during = kNow;
    during.steadyMs += 9'999;
    EXPECT_EQ(fleet.respond(buildEnquiry(), during).datagrams.size(), 2u);
    EXPECT_TRUE(replyOf(fleet, kPlainMac, during).empty());
    EXPECT_EQ(
        answerTo(fleet, settingRequest(kPlainMac, kDefaultAdmin, {{"SETBAND:", "0.0"}}), during),
        std::nullopt);

    SimTime after = kNow;
    after.steadyMs += 10'000;
    EXPECT_FALSE(replyOf(fleet, kPlainMac, after).empty());
}

TEST(CameraBehaviour, aNetworkChangeSilencesTheCameraForTheGivenTime) {
    FleetOptions options;
    options.cameraCount = 3;
    options.policy.networkSilenceMs = 3'000;
    CameraFleet fleet(options);
    ASSERT_EQ(answerTo(fleet, settingRequest(kPlainMac, kDefaultAdmin, {{"SETBAND:", "0.0"}})),
              kAck);
    EXPECT_FALSE(replyOf(fleet, kPlainMac).empty());  // another setting: no silence
    ASSERT_EQ(
        answerTo(fleet, settingRequest(
                            kPlainMac, kDefaultAdmin,
                            {{"DHCP:", "OFF"}, {"IPADR:", "10.0.0.9"}, {"MASK:", "255.0.0.0"}})),
        kAck);
    SimTime during = kNow;
    during.steadyMs += 2'999;
    EXPECT_TRUE(replyOf(fleet, kPlainMac, during).empty());
    SimTime after = kNow;
    after.steadyMs += 3'000;
    EXPECT_FALSE(replyOf(fleet, kPlainMac, after).empty());
}

// Whatever arrives, the fleet neither crashes nor answers anything but an enquiry or a request
// naming one of its cameras; answers always fit a datagram.
TEST(UntrustedInput, arbitraryBytesGetNoAnswerOrAWellFormedOne) {
    CameraFleet fleet(FleetOptions{});
    const std::string seeds[] = {
        settingRequest(kPppoeMac, kDefaultAdmin,
                       {{"DHCP:", "OFF"},
                        {"IPADR:", "10.0.0.9"},
                        {"MASK:", "255.0.0.0"},
                        {"PPPOEFUNC:", "ON"},
                        {"PPPOEIDPASS:", base64Encode("u:p")}}),
        settingRequest(kPlainMac, std::nullopt, {{"TIME:", "0503050907006"}}),
        buildEnquiry(),
    };
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string datagram = seeds[round % std::size(seeds)];
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits && !datagram.empty(); ++e) {
            const auto at = random() % datagram.size();
            switch (random() % 3) {
                case 0:
                    datagram[at] = static_cast<char>(random());
                    break;
                case 1:
                    datagram.erase(at, 1 + random() % 8);
                    break;
                default:
                    datagram.insert(at, 1, static_cast<char>(random()));
                    break;
            }
        }
        for (const auto& answer : fleet.respond(datagram, kNow).datagrams) {
            ASSERT_LE(answer.size(), kMaxDatagram);
            ASSERT_EQ(answer.front(), kStx);
        }
    }
    EXPECT_TRUE(
        fleet.respond(std::string(kMaxDatagram + 1, 'x') + "ENQ:allinfo", kNow).datagrams.empty());
}

}  // namespace
}  // namespace pelmora::sim
