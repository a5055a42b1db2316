// The LAN diagnosis: reachability through the receiving interface, each problem word with its
// edges, the sentences, and the free address suggested for a camera out of reach.
#include "lan/LanDiagnosis.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {
namespace {

Ipv4 ip(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return {a, b, c, d};
}

// This PC: eth1 10.1.0.1/24 with the default route, eth2 10.2.0.1/24, loopback.
const std::vector<LocalInterface> kPc = {
    {"lo", 1, ip(127, 0, 0, 1), 8, true, std::nullopt},
    {"eth1", 2, ip(10, 1, 0, 1), 24, false, ip(10, 1, 0, 254)},
    {"eth2", 3, ip(10, 2, 0, 1), 24, false, std::nullopt},
};

CameraAddressing camera(std::string mac, Ipv4 address, int interface,
                        Ipv4 mask = ip(255, 255, 255, 0), Ipv4 gateway = {}, bool dhcp = false) {
    return {std::move(mac), address, mask, gateway, dhcp, interface};
}

std::string words(const CameraDiagnosis& d) {
    std::string text(reachabilityWord(d.reachability));
    for (const auto word : problemWords(d.problems)) {
        text += " " + std::string(word);
    }
    return text;
}

TEST(LanDiagnosis, eachCameraGetsItsReachabilityAndProblemsInOrder) {
    const struct {
        const char* name;
        CameraAddressing camera;
        const char* expected;
    } cases[] = {
        {"same subnet", camera("A", ip(10, 1, 0, 5), 2), "same-subnet"},
        {"factory address elsewhere", camera("B", ip(192, 168, 0, 10), 2),
         "other-subnet other-subnet"},
        {"no address", camera("C", {}, 2, {}, {}, true), "no-address"},
        {"interface not known", camera("D", ip(192, 168, 0, 11), 0), "unknown"},
        {"simulator on loopback", camera("E", ip(192, 168, 0, 12), 1), "unknown"},
        {"this PC's address", camera("F", ip(10, 2, 0, 1), 3), "same-subnet pc-address"},
        {"network address", camera("G", ip(10, 2, 0, 0), 3), "same-subnet network-or-broadcast"},
        {"broadcast address", camera("H", ip(10, 2, 0, 255), 3),
         "same-subnet network-or-broadcast"},
        {"a /31 has no broadcast", camera("I", ip(10, 2, 0, 3), 3, ip(255, 255, 255, 254)),
         "same-subnet"},
        {"holes in the mask", camera("J", ip(10, 2, 0, 20), 3, ip(255, 0, 255, 0)),
         "same-subnet bad-mask"},
        {"/32 on a fixed camera", camera("K", ip(10, 2, 0, 21), 3, ip(255, 255, 255, 255)),
         "same-subnet bad-mask"},
        {"/0 on a fixed camera", camera("L", ip(10, 2, 0, 22), 3, {}), "same-subnet bad-mask"},
        {"/0 on a DHCP camera", camera("M", ip(10, 2, 0, 23), 3, {}, {}, true), "same-subnet"},
        {"gateway elsewhere",
         camera("N", ip(10, 2, 0, 24), 3, ip(255, 255, 255, 0), ip(10, 9, 9, 9)),
         "same-subnet gateway-outside-subnet"},
        {"gateway inside",
         camera("O", ip(10, 2, 0, 25), 3, ip(255, 255, 255, 0), ip(10, 2, 0, 254)), "same-subnet"},
    };
    for (const auto& c : cases) {
        const std::vector<CameraAddressing> one{c.camera};
        EXPECT_EQ(words(diagnoseCameras(one, kPc)[0]), c.expected) << c.name;
    }
}

// Cameras ship with one address: every camera that shares it is told with whom.
TEST(LanDiagnosis, sharedAddressesNameAnotherHolderAndSentencesSayWhatIsWrong) {
    const std::vector<CameraAddressing> cameras = {
        camera("02:50:4D:00:00:01", ip(10, 2, 0, 7), 3),
        camera("02:50:4D:00:00:02", ip(10, 2, 0, 8), 3),
        camera("02:50:4D:00:00:03", ip(10, 2, 0, 7), 3),
        camera("02:50:4D:00:00:04", ip(10, 2, 0, 7), 3),
        camera("02:50:4D:00:00:05", ip(192, 168, 0, 10), 2),
        camera("02:50:4D:00:00:06", {}, 2, {}, {}, true),
        camera("02:50:4D:00:00:07", {}, 2, {}, {}, true),
    };
    const auto d = diagnoseCameras(cameras, kPc);
    EXPECT_EQ(d[0].sharesWith, "02:50:4D:00:00:03");
    EXPECT_EQ(d[2].sharesWith, "02:50:4D:00:00:01");
    EXPECT_EQ(d[3].sharesWith, "02:50:4D:00:00:01");
    EXPECT_EQ(d[1].problems, 0u);
    EXPECT_EQ(d[5].problems, 0u) << "two cameras without an address share nothing";
    EXPECT_EQ(problemSentences(cameras[0], d[0], kPc),
              std::vector<std::string>{"Shares 10.2.0.7 with 02:50:4D:00:00:03"});
    EXPECT_EQ(problemSentences(cameras[4], d[4], kPc),
              std::vector<std::string>{"On another subnet: this PC is 10.1.0.1/24 on eth1"});
}

// An ONVIF camera as the listing hands it over: read (its own addressing) or only heard from.
OtherCamera onvifCamera(std::string mac, Ipv4 address, Ipv4 answeredFrom,
                        std::optional<std::chrono::seconds> clock = std::nullopt) {
    OtherCamera c;
    c.addressing = camera(mac, address, 0);
    c.addressingRead = address != Ipv4{};
    c.answeredFrom = answeredFrom;
    c.clockOffset = clock;
    c.name = mac.empty() ? "urn:uuid:x" : mac;
    return c;
}

// Across both kinds an address held twice is flagged on each side, naming the other; one device
// answering both protocols is not two.
TEST(LanDiagnosis, sharedAddressesAcrossKindsAreDuplicatesButOneDeviceIsNot) {
    const auto ours =
        std::vector<CameraAddressing>{camera("02:50:4D:00:00:01", ip(10, 2, 0, 7), 3),
                                      camera("02:50:4D:00:00:02", ip(10, 2, 0, 8), 3)};
    const struct {
        const char* name;
        OtherCamera onvif;
        const char* ourFirst;    // words of ours[0]
        const char* theirs;      // words of the ONVIF camera
        const char* sharesWith;  // the ONVIF camera's
    } cases[] = {
        {"another maker on our address",
         onvifCamera("02:4F:4E:00:00:01", ip(10, 2, 0, 7), ip(10, 2, 0, 7)),
         "same-subnet duplicate-ip", "same-subnet duplicate-ip", "02:50:4D:00:00:01"},
        {"our camera answering ONVIF too",
         onvifCamera("02:50:4D:00:00:01", ip(10, 2, 0, 7), ip(10, 2, 0, 7)), "same-subnet",
         "same-subnet", ""},
        {"unread: only its answer's address, not judged", onvifCamera("", {}, ip(10, 2, 0, 7)),
         "same-subnet", "same-subnet", ""},
        {"read, reports an address elsewhere",
         onvifCamera("02:4F:4E:00:00:02", ip(192, 168, 1, 5), ip(10, 2, 0, 9)), "same-subnet",
         "other-subnet other-subnet", ""},
    };
    for (const auto& c : cases) {
        const std::vector<OtherCamera> others{c.onvif};
        const auto d = diagnoseLan(ours, others, kPc);
        EXPECT_EQ(words(d.ours[0]), c.ourFirst) << c.name;
        EXPECT_EQ(words(d.others[0]), c.theirs) << c.name;
        EXPECT_EQ(d.others[0].sharesWith, c.sharesWith) << c.name;
    }

    // Two ONVIF cameras on one address, one without a known MAC: named by what tells it apart.
    const std::vector<OtherCamera> two{onvifCamera("", ip(10, 1, 0, 9), ip(10, 1, 0, 9)),
                                       onvifCamera("02:4F:4E:00:00:05", ip(10, 1, 0, 9), {})};
    const auto d = diagnoseLan(ours, two, kPc);
    EXPECT_EQ(d.others[0].sharesWith, "02:4F:4E:00:00:05");
    EXPECT_EQ(d.others[1].sharesWith, "urn:uuid:x");
    const auto mixed = diagnoseLan(ours, std::vector{cases[0].onvif}, kPc);
    EXPECT_EQ(problemSentences(ours[0], mixed.ours[0], kPc),
              std::vector<std::string>{"Shares 10.2.0.7 with 02:4F:4E:00:00:01"});
    EXPECT_EQ(diagnoseLan(ours, {}, kPc).ours[0].problems, 0u);
}

TEST(LanDiagnosis, aClockMoreThanFiveMinutesOffIsSaidInHoursAndMinutes) {
    using std::chrono::seconds;
    const struct {
        long long offset;
        const char* expected;  // "" when the clock is not off
    } cases[] = {
        {300, ""},
        {301, "Clock 5 min ahead of this PC"},
        {7 * 60 + 10, "Clock 7 min ahead of this PC"},
        {-(3 * 3600 + 12 * 60), "Clock 3 h 12 min behind this PC"},
        {-10798, "Clock 3 h behind this PC"},
        {59 * 60 + 40, "Clock 1 h ahead of this PC"},
    };
    for (const auto& c : cases) {
        const std::vector<OtherCamera> one{onvifCamera("", {}, ip(10, 1, 0, 9), seconds{c.offset})};
        const auto d = diagnoseLan({}, one, kPc).others[0];
        const auto sentences = problemSentences(one[0].addressing, d, kPc);
        EXPECT_EQ(sentences.empty() ? "" : sentences[0], c.expected) << c.offset;
        EXPECT_EQ(words(d), std::string("same-subnet") + (*c.expected ? " clock-off" : ""))
            << c.offset;
    }
}

TEST(LanDiagnosis, aFreeAddressIsTheLowestAboveThisPcWrappingRound) {
    const std::vector<CameraAddressing> cameras = {camera("A", ip(10, 1, 0, 2), 2),
                                                   camera("B", ip(10, 1, 0, 3), 2),
                                                   camera("C", ip(10, 2, 0, 2), 3)};
    const auto eth1 = suggestFreeAddress(kPc[1], cameras, kPc);
    ASSERT_TRUE(eth1);
    EXPECT_EQ(eth1->ipAddress, ip(10, 1, 0, 4));
    EXPECT_EQ(eth1->subnetMask, ip(255, 255, 255, 0));
    EXPECT_EQ(eth1->gateway, ip(10, 1, 0, 254));
    const auto eth2 = suggestFreeAddress(kPc[2], cameras, kPc);
    ASSERT_TRUE(eth2);
    EXPECT_EQ(eth2->ipAddress, ip(10, 2, 0, 3));
    EXPECT_EQ(eth2->gateway, Ipv4{}) << "no default route through eth2";

    // The PC at the top of a /29: .1 to .6 are hosts; .6 is the PC, .1 and .2 are taken.
    const LocalInterface top{"eth3", 4, ip(10, 3, 0, 6), 29, false, std::nullopt};
    const std::vector<CameraAddressing> low = {camera("D", ip(10, 3, 0, 1), 4),
                                               camera("E", ip(10, 3, 0, 2), 4)};
    EXPECT_EQ(suggestFreeAddress(top, low, {&top, 1})->ipAddress, ip(10, 3, 0, 3));
    const std::vector<CameraAddressing> full = {
        camera("F", ip(10, 3, 0, 1), 4), camera("G", ip(10, 3, 0, 2), 4),
        camera("H", ip(10, 3, 0, 3), 4), camera("I", ip(10, 3, 0, 4), 4),
        camera("J", ip(10, 3, 0, 5), 4)};
    EXPECT_FALSE(suggestFreeAddress(top, full, {&top, 1})) << "no free host left";

    // In a /16 the addresses ending in .255 and .0 are passed over.
    const LocalInterface wide{"eth4", 5, ip(172, 16, 0, 254), 16, false, std::nullopt};
    const std::vector<CameraAddressing> next = {camera("K", ip(172, 16, 1, 1), 5)};
    EXPECT_EQ(suggestFreeAddress(wide, next, {&wide, 1})->ipAddress, ip(172, 16, 1, 2));

    // ONVIF cameras' addresses are taken too.
    const std::vector<Ipv4> onvif = {ip(10, 1, 0, 4), ip(10, 1, 0, 5)};
    EXPECT_EQ(suggestFreeAddress(kPc[1], cameras, kPc, onvif)->ipAddress, ip(10, 1, 0, 6));
}

}  // namespace
}  // namespace pelmora
