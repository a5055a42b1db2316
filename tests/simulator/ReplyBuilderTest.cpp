#include "simulator/ReplyBuilder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "protocol/Dispatch.h"
#include "protocol/Wire.h"
#include "simulator/CameraFactory.h"
#include "simulator/SimClock.h"

namespace pelmora::sim {
namespace {

using test::readAsTool;

std::vector<std::string> keysOf(std::string_view datagram) {
    std::vector<std::string> keys;
    datagram.remove_prefix(1);  // STX
    for (auto end = datagram.find(fieldTerminator); end != std::string_view::npos;
         end = datagram.find(fieldTerminator)) {
        const auto field = datagram.substr(0, end);
        keys.emplace_back(field.substr(0, field.find(':') + 1));
        datagram.remove_prefix(end + 1);
    }
    return keys;
}

const std::vector<std::string> kCommonKeys = {
    "MAC:",     "MODEL:",   "SERIAL:", "SOFTVERSION:", "DHCP:",    "IPADR:", "MASK:",
    "GATEWAY:", "DNSAUTO:", "DNS1:",   "DNS2:",        "DNS3:",    "DNS4:",  "WEBPORT:",
    "BANDELM:", "CURBAND:", "TIME:",   "TIMEZONE:",    "DTFORMAT:"};
const std::vector<std::string> kPppoeKeys = {
    "PPPOEFUNC:", "PPPOEIPADR:", "PPPOEDNSAUTO:", "PPPOEDNS1:", "PPPOEDNS2:"};

TEST(InfoReply, carriesEveryKeyOnceWithThePppoeKeysLastAndOnlyWhenSupported) {
    for (const bool pppoe : {true, false}) {
        SCOPED_TRACE(pppoe ? "PPPoE camera" : "camera without PPPoE");
        SimCamera camera = makeCamera(0, kDefaultMacPrefix);
        camera.pppoeSupported = pppoe;
        const auto reply = buildInfoReply(camera, test::kNow.localSeconds);

        auto expected = kCommonKeys;
        if (pppoe) {
            expected.insert(expected.end(), kPppoeKeys.begin(), kPppoeKeys.end());
        }
        EXPECT_EQ(keysOf(reply), expected);
        EXPECT_EQ(reply.front(), kStx);
        EXPECT_EQ(reply.substr(reply.size() - 2), std::string({fieldTerminator, kEtx}));
    }
}

// Values chosen so that every tail-matching key pair ("DNS1:"/"PPPOEDNS1:", "IPADR:"/
// "PPPOEIPADR:", "DNSAUTO:"/"PPPOEDNSAUTO:") differs: if the tool's substring search found the
// wrong one, a field below would come out wrong.
TEST(InfoReply, isReadByTheToolAsTheCameraMeansIt) {
    SimCamera camera = makeCamera(5, kDefaultMacPrefix);
    camera.dhcp = false;
    camera.ipAddress = {10, 1, 2, 3};
    camera.dnsAuto = false;
    camera.dns = {Ipv4{10, 0, 0, 1}, Ipv4{10, 0, 0, 2}, Ipv4{10, 0, 0, 3}, Ipv4{10, 0, 0, 4}};
    camera.webPort = 8080;
    camera.bandElements = {"0.0", "1.0", "2.0"};
    camera.currentBand = "1.0";
    camera.pppoeSupported = true;
    camera.pppoeOn = true;
    camera.pppoeIpAddress = {100, 64, 0, 9};
    camera.pppoeDnsAuto = true;
    camera.pppoeDns1 = {172, 16, 0, 1};
    camera.pppoeDns2 = {172, 16, 0, 2};

    const auto record = readAsTool(buildInfoReply(camera, test::kNow.localSeconds));

    EXPECT_STREQ(record.model, camera.model.c_str());
    EXPECT_STREQ(record.serial, camera.serial.c_str());
    EXPECT_STREQ(record.softVersion, camera.softVersion.c_str());
    EXPECT_EQ(record.dhcp, 0);
    EXPECT_EQ(record.ipAddress, camera.ipAddress);
    EXPECT_EQ(record.subnetMask, camera.subnetMask);
    EXPECT_EQ(record.gateway, camera.gateway);
    EXPECT_EQ(record.dnsAuto, 0);
    EXPECT_EQ(record.dns1, camera.dns[0]);
    EXPECT_EQ(record.dns4, camera.dns[3]);
    EXPECT_EQ(record.webPort, 8080);
    EXPECT_STREQ(record.bandElements[0], "unlimited");
    EXPECT_STREQ(record.bandElements[2], "2.0");
    EXPECT_STREQ(record.currentBand, "1.0");
    EXPECT_STREQ(record.timeZone, camera.timeZone.c_str());
    EXPECT_STREQ(record.dateTimeFormat, camera.dateTimeFormat.c_str());
    EXPECT_EQ(record.pppoeReported, 1);
    EXPECT_EQ(record.pppoeOn, 1);
    EXPECT_EQ(record.pppoeIpAddress, camera.pppoeIpAddress);
    EXPECT_EQ(record.pppoeDnsAuto, 1) << "the tool takes only lower-case \"on\"";
    EXPECT_EQ(record.pppoeDns1, camera.pppoeDns1);
    EXPECT_EQ(record.pppoeDns2, camera.pppoeDns2);
}

TEST(InfoReply, timeIsTheHostClockPlusTheCameraOffset) {
    SimCamera camera = makeCamera(0, kDefaultMacPrefix);
    camera.clockOffsetSeconds = 3600 + 61;
    const auto reply = buildInfoReply(camera, wallSeconds(2024, 12, 31, 23, 0, 0));
    EXPECT_EQ(readKey(reply, "TIME:"), "250101000101");
}

TEST(InfoReply, everyCameraOfTheLargestFleetHasItsOwnMacAndAReplyThatFits) {
    std::set<std::string> macs;
    for (int i = 0; i < kMaxCameras; ++i) {
        const SimCamera camera = makeCamera(i, "0a:bc:de");
        const auto reply = buildInfoReply(camera, test::kNow.localSeconds);
        ASSERT_LE(reply.size(), kMaxDatagram) << camera.mac;
        ASSERT_LE(camera.serial.size(), 11u) << camera.mac;
        ASSERT_EQ(camera.mac.size(), 17u);
        macs.insert(camera.mac);
    }
    EXPECT_EQ(macs.size(), static_cast<std::size_t>(kMaxCameras));
    EXPECT_EQ(makeCamera(0, "0a:bc:de").mac, "0A:BC:DE:00:00:01");
    EXPECT_EQ(makeCamera(kMaxCameras - 1, "0a:bc:de").mac, "0A:BC:DE:00:04:00");
}

// Settlements are checked with the tool's own classifier: MAC at bytes 5 to 21, the message
// text from byte 23 up to the closing FF 03.
TEST(Settlement, hasTheExactLayoutTheToolReads) {
    const std::string mac = "02:50:4D:00:00:07";
    struct Case {
        const char* name;
        bool accepted;
        std::optional<std::string> message;
        std::size_t size;
        DatagramKind kind;
    };
    const Case cases[] = {
        {"bareAcknowledgement", true, std::nullopt, 24, DatagramKind::Acknowledgement},
        {"bareRefusal", false, std::nullopt, 24, DatagramKind::Refusal},
        {"refusalWithText", false, "Denied", 31, DatagramKind::Refusal},
        {"refusalWithEmptyText", false, "", 25, DatagramKind::Refusal},
        {"overlongTextIsCutToFit", false, std::string(5000, 'x'), kMaxDatagram,
         DatagramKind::Refusal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto datagram = buildSettlement(c.accepted, mac, c.message);
        EXPECT_EQ(datagram.size(), c.size);
        const auto seen = classifyDatagram(datagram);
        EXPECT_EQ(seen.kind, c.kind);
        EXPECT_EQ(seen.mac, mac);
        EXPECT_EQ(seen.messageText.has_value(), c.message.has_value());
        if (c.message && c.message->size() < 100) {
            EXPECT_EQ(seen.messageText, *c.message);
        }
    }
}

}  // namespace
}  // namespace pelmora::sim
