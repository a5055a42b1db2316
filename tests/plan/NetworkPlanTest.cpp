// Plans: reading them, the checks that refuse a whole plan, the order moves are sent in, and
// consecutive addresses for many cameras.
#include "plan/AddressPlan.h"
#include "plan/OnvifPlanCamera.h"
#include "plan/PlanCheck.h"
#include "plan/PlanCsv.h"
#include "plan/PlanSettings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace pelmora {
namespace {

CameraRecord camera(const char* mac, Ipv4 ip, bool dhcp = false) {
    CameraRecord r{};
    std::strncpy(r.mac, mac, sizeof r.mac - 1);
    r.ipAddress = ip;
    r.subnetMask = {255, 255, 255, 0};
    r.gateway = {192, 168, 0, 1};
    r.dhcp = dhcp ? 1 : 0;
    r.dns1 = {192, 168, 0, 1};
    r.webPort = 80;
    return r;
}

const std::vector<CameraRecord> kListed = {
    camera("02:50:4D:00:00:01", {192, 168, 0, 11}),
    camera("02:50:4D:00:00:02", {192, 168, 0, 12}),
    camera("02:50:4D:00:00:03", {192, 168, 0, 13}),
    camera("02:50:4D:00:00:04", {192, 168, 0, 14}, true),
    camera("02:50:4D:00:00:05", {192, 168, 0, 20}),  // two cameras on one address
    camera("02:50:4D:00:00:06", {192, 168, 0, 20}),
    camera("02:50:4D:00:00:99", {192, 168, 0, 99}),  // never in a plan below
};

// ONVIF cameras: one read at .98, one whose addressing could not be read, and camera 2 answering
// both protocols.
onvif::OnvifCamera onvifCamera(const char* mac, std::optional<Ipv4> ip) {
    onvif::OnvifCamera c;
    c.mac = MacAddress::parse(mac);
    c.serviceAddress = "http://192.168.0.98/onvif/device_service";
    if (ip) {
        c.interfaceToken = "eth0";
        c.dhcp = false;
        c.ipAddress = ip;
        c.prefixLength = 24;
        c.gateway = Ipv4{192, 168, 0, 1};
        c.dnsAuto = false;
        c.dns = {{192, 168, 0, 1}};
        c.webPort = 80;
    }
    return c;
}

const std::vector<onvif::OnvifCamera> kOnvif = {
    onvifCamera("02:4F:4E:00:00:01", Ipv4{192, 168, 0, 98}),
    onvifCamera("02:4F:4E:00:00:03", std::nullopt),
    onvifCamera("02:50:4D:00:00:02", Ipv4{192, 168, 0, 12}),
};

// On eth0's neighbour table: a printer, and a camera that the listing places elsewhere.
const std::vector<LocalInterface> kPc = {
    {"lo", 1, {127, 0, 0, 1}, 8, true, std::nullopt},
    {"eth0",
     2,
     {192, 168, 0, 2},
     24,
     false,
     Ipv4{192, 168, 0, 1},
     {{{192, 168, 0, 150}, "AA:BB:CC:00:01:50"}, {{192, 168, 0, 111}, "02:50:4D:00:00:99"}}},
};

struct PlanCase {
    const char* name;
    std::string csv;
    std::vector<std::string> refusals;
    std::vector<std::string> order = {};  // MACs in sending order, when not refused
    std::vector<std::string> unchanged = {};
    // The requests the plan's first ONVIF camera is sent: only those for what its row changes.
    std::vector<std::string> onvifRequests = {};
};

const std::string kHead = "mac,ipAddress,subnetMask\n";

const std::vector<PlanCase> kCases = {
    {"freeAddressesAreSentInFileOrder",
     kHead + "02:50:4D:00:00:02,192.168.0.52,\n02:50:4D:00:00:01,192.168.0.51,\n",
     {},
     {"02:50:4D:00:00:02", "02:50:4D:00:00:01"}},
    {"sameSettingsAreUnchangedAndNotSent",
     "model,mac,ipAddress,dhcp,webPort\nPM-C110,02-50-4d-00-00-01,192.168.0.11,0,80\n"
     "PM-C110,02:50:4D:00:00:02,192.168.0.62,0,80\n",
     {},
     {"02:50:4D:00:00:02"},
     {"02:50:4D:00:00:01"}},
    {"aChainMovesTheHolderFirst",
     kHead + "02:50:4D:00:00:01,192.168.0.12,\n02:50:4D:00:00:02,192.168.0.13,\n"
             "02:50:4D:00:00:03,192.168.0.70,\n",
     {},
     {"02:50:4D:00:00:03", "02:50:4D:00:00:02", "02:50:4D:00:00:01"}},
    {"bothHoldersOfASharedAddressMoveFirst",
     kHead + "02:50:4D:00:00:01,192.168.0.20,\n02:50:4D:00:00:06,192.168.0.76,\n"
             "02:50:4D:00:00:05,192.168.0.75,\n",
     {},
     {"02:50:4D:00:00:06", "02:50:4D:00:00:05", "02:50:4D:00:00:01"}},
    {"aSwapIsACycle",
     kHead + "02:50:4D:00:00:01,192.168.0.12,\n02:50:4D:00:00:02,192.168.0.11,\n",
     {"02:50:4D:00:00:01, 02:50:4D:00:00:02: their moves form a cycle (each wants an address "
      "another of them holds)"}},
    {"pageChecksNameTheRow",
     kHead + "02:50:4D:00:00:01,192.168.0.51,255.0.255.0\n02:50:4D:00:00:02,0.0.0.5,\n"
             "02:50:4D:00:00:03,192.168.0.0,\n",
     {"02:50:4D:00:00:01: Subnetmask Error", "02:50:4D:00:00:02: IP address Error",
      "02:50:4D:00:00:03: IP address Error"}},
    {"twoRowsOneAddress",
     kHead + "02:50:4D:00:00:01,192.168.0.50,\n02:50:4D:00:00:02,192.168.0.50,\n",
     {"02:50:4D:00:00:01, 02:50:4D:00:00:02: all planned at 192.168.0.50"}},
    {"anAddressOfACameraOutsideThePlan",
     kHead + "02:50:4D:00:00:01,192.168.0.99,\n",
     {"02:50:4D:00:00:01: 192.168.0.99 is used by 02:50:4D:00:00:99, which is not in the plan"}},
    {"anAddressAnOnvifCameraHolds",
     kHead + "02:50:4D:00:00:01,192.168.0.98,\n",
     {"02:50:4D:00:00:01: 192.168.0.98 is used by 02:4F:4E:00:00:01 (an ONVIF camera), which "
      "is not in the plan"}},
    {"thisPcsAddress",
     kHead + "02:50:4D:00:00:01,192.168.0.2,\n",
     {"02:50:4D:00:00:01: 192.168.0.2 is this PC's address on eth0"}},
    {"broadcastOfThePcsSubnetUnderAWiderMask",
     kHead + "02:50:4D:00:00:01,192.168.0.255,255.255.0.0\n",
     {"02:50:4D:00:00:01: 192.168.0.255 is the network or broadcast address of eth0's subnet"}},
    {"aLeaseKeptByAnUnchangedCamera",
     "mac,ipAddress,dhcp\n02:50:4D:00:00:01,192.168.0.14,\n02:50:4D:00:00:04,,1\n",
     {"02:50:4D:00:00:01: 192.168.0.14 is used by 02:50:4D:00:00:04, which keeps it"}},
    {"aCameraSwitchedToDhcpKeepsItsAddress",
     "mac,dhcp,ipAddress\n02:50:4D:00:00:01,1,\n02:50:4D:00:00:02,0,192.168.0.11\n",
     {"02:50:4D:00:00:02: 192.168.0.11 is used by 02:50:4D:00:00:01, which is switched to DHCP "
      "and may keep it"}},
    {"gatewaysAndNeighboursAreTaken",
     "mac,ipAddress,gateway\n02:50:4D:00:00:01,192.168.0.1,192.168.0.254\n"
     "02:50:4D:00:00:02,192.168.0.60,192.168.0.60\n02:50:4D:00:00:03,192.168.0.150,\n"
     "02:50:4D:00:00:06,192.168.0.111,\n",
     {"02:50:4D:00:00:01: 192.168.0.1 is this PC's default gateway on eth0",
      "02:50:4D:00:00:02: 192.168.0.60 is also its gateway",
      "02:50:4D:00:00:03: 192.168.0.150 is used by AA:BB:CC:00:01:50 (in this PC's neighbour "
      "table on eth0), which is not in the plan"}},
    {"anAddressOnADhcpRowUnlessItIsTheCamerasOwn",
     "mac,dhcp,ipAddress\n02:50:4D:00:00:04,1,192.168.0.14\n02:50:4D:00:00:01,1,192.168.0.61\n",
     {"row 3: an address on a DHCP row (02:50:4D:00:00:01: 192.168.0.61 is not sent with DHCP)"}},
    {"anOnvifCameraTakesItsPlaceInTheOrder",
     kHead + "02:50:4D:00:00:01,192.168.0.98,\n02:4F:4E:00:00:01,192.168.0.71,\n"
             "02:50:4D:00:00:02,192.168.0.12,\n",
     {},
     {"02:4F:4E:00:00:01", "02:50:4D:00:00:01"},
     {"02:50:4D:00:00:02"},
     {"SetNetworkInterfaces"}},
    {"anOnvifCameraIsSentOnlyWhatChanges",
     "mac,gateway,dns1,webPort\n02:4F:4E:00:00:01,192.168.0.254,192.168.0.1,8080\n",
     {},
     {"02:4F:4E:00:00:01"},
     {},
     {"SetNetworkDefaultGateway", "SetNetworkProtocols"}},
    {"moreNameServersThanAnOnvifCameraTakes",
     "mac,dns1,dns2,dns3\n02:4F:4E:00:00:01,1.1.1.1,8.8.8.8,9.9.9.9\n",
     {"02:4F:4E:00:00:01: at most two name servers can be set"}},
    {"aSwapAcrossBothKindsIsACycle",
     kHead + "02:50:4D:00:00:01,192.168.0.98,\n02:4F:4E:00:00:01,192.168.0.11,\n",
     {"02:50:4D:00:00:01, 02:4F:4E:00:00:01: their moves form a cycle (each wants an address "
      "another of them holds)"}},
    {"anotherAddressAnOnvifCameraOfThePlanAnswersFrom",
     kHead + "02:4F:4E:00:00:01,192.168.0.71,\n02:50:4D:00:00:01,192.168.0.97,\n",
     {"02:50:4D:00:00:01: 192.168.0.97 is used by 02:4F:4E:00:00:01 (an ONVIF camera), which "
      "answers from it as well"}},
    {"anOnvifCameraNotRead",
     kHead + "02:4F:4E:00:00:03,192.168.0.73,\n",
     {"02:4F:4E:00:00:03: an ONVIF camera whose addressing could not be read"}},
    {"aMacNotFoundAndAMacTwice",
     kHead + "02:50:4D:00:00:77,192.168.0.77,\n02:50:4D:00:00:01,192.168.0.51,\n"
             "02:50:4D:00:00:01,192.168.0.52,\n",
     {"02:50:4D:00:00:77: not among the cameras found",
      "02:50:4D:00:00:01: listed more than once in the plan"}},
};

TEST(NetworkPlan, checksAndOrder) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto read = readPlan(c.csv);
        ASSERT_EQ(read.errors, std::vector<std::string>{});
        // An ONVIF camera at .98, and one that is camera 2 answering both protocols at .12.
        // The ONVIF camera at .98 also answers from .97, an address it would keep when it moves.
        const std::vector<OtherHolder> onvif = {{{192, 168, 0, 98}, "02:4F:4E:00:00:01"},
                                                {{192, 168, 0, 97}, "02:4F:4E:00:00:01"},
                                                {{192, 168, 0, 12}, "02:50:4D:00:00:02"}};
        const auto check = checkPlan(read.rows, kListed, kPc, onvif, kOnvif);
        EXPECT_EQ(check.refusals, c.refusals);
        if (c.refusals.empty()) {
            std::vector<std::string> order;
            for (const auto i : check.order) {
                order.push_back(check.cameras[i].mac);
            }
            EXPECT_EQ(order, c.order);
            std::vector<std::string> unchanged;
            for (const auto& camera : check.cameras) {
                if (camera.unchanged) {
                    unchanged.push_back(camera.mac);
                }
            }
            EXPECT_EQ(unchanged, c.unchanged);
            std::vector<std::string> requests;
            for (const auto& camera : check.cameras) {
                for (const auto& request :
                     camera.onvif ? camera.onvif->requests : std::vector<onvif::SettingRequest>{}) {
                    requests.emplace_back(onvif::operationName(request.operation));
                }
            }
            EXPECT_EQ(requests, c.onvifRequests);
        }
    }
}

TEST(NetworkPlan, unreadableCellsAreReportedWithTheirRow) {
    const auto read = readPlan(
        "\xEF\xBB\xBFmac,dhcp,ipAddress,webPort\r\nnot-a-mac,0,,\r\n02:50:4D:00:00:01,2,1.2.3,"
        "80a\r\n"
        "02:50:4D:00:00:02,0,192.168.0.5,8080\r\n");
    EXPECT_EQ(read.errors,
              (std::vector<std::string>{"row 2: \"not-a-mac\" is not a MAC",
                                        "row 3: dhcp must be 0 or 1, not \"2\"",
                                        "row 3: ipAddress is not an address: \"1.2.3\"",
                                        "row 3: webPort must be digits only, at most 5: \"80a\""}));
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].webPort, "8080");
    EXPECT_EQ(readPlan("ipAddress\n1.2.3.4\n").errors,
              std::vector<std::string>{"the plan has no \"mac\" column"});
    // Plans that would drop an edit without a word, or do nothing and exit 0.
    using Errors = std::vector<std::string>;
    EXPECT_EQ(readPlan("mac,dhcp, dhcp\n02:50:4D:00:00:01,1,0\n").errors,
              Errors{"row 1: the column \"dhcp\" is named twice"});
    EXPECT_EQ(readPlan("model,,mac,,model\nPM,,02:50:4D:00:00:01,,PM\n").errors, Errors{});
    EXPECT_EQ(readPlan("mac,dhcp\r\n").errors, Errors{"the plan has no rows"});
    EXPECT_EQ(readPlan("mac,dhcp\r02:50:4D:00:00:01,1\r").errors.at(0).substr(0, 25),
              "the plan has no rows (its");
}

TEST(NetworkPlan, missingColumnsKeepWhatTheCameraReports) {
    const auto read = readPlan("mac,ipAddress\n02:50:4D:00:00:01,192.168.0.60\n");
    const auto planned = plannedSettings(kListed[0], read.rows.at(0));
    auto expected = currentSettings(kListed[0]);
    expected.ipAddress = {192, 168, 0, 60};
    EXPECT_TRUE(sameSettings(planned, expected));
    EXPECT_FALSE(sameSettings(planned, currentSettings(kListed[0])));
    EXPECT_FALSE(planned.gatewayBlank);
    EXPECT_FALSE(planned.dns[0].blank);
    // Given a fixed address, a camera that obtained its DNS servers keeps those it reports.
    auto leased = kListed[3];
    leased.dnsAuto = 1;
    const auto fixed =
        plannedSettings(leased, readPlan("mac,dhcp\n02:50:4D:00:00:04,0\n").rows.at(0));
    EXPECT_EQ(fixed.dns[0].address, (Ipv4{192, 168, 0, 1}));
    EXPECT_FALSE(fixed.dns[0].blank);
}

// plan numbers past addresses in use, but not past a numbered camera's own, and checks the
// rows as apply-plan would (the refusals themselves: integration/plan_checks.py).
TEST(NetworkPlan, numberingPassesOverAddressesInUse) {
    const std::vector<std::string> one = {"02:50:4D:00:00:01"};
    const auto numbered = [](std::vector<std::string> macs, Ipv4 start) {
        const auto plan = makeAddressPlan(macs, start, 1, {255, 255, 255, 0},
                                          Ipv4{192, 168, 0, 151}, {}, {}, kPc);
        EXPECT_TRUE(checkPlanBeforeListing(plan.rows, kPc).refusals.empty());
        std::vector<std::string> out = plan.skipped;
        for (const auto& row : plan.rows) {
            out.push_back(formatIpv4(*row.ipAddress));
        }
        return out;
    };
    EXPECT_EQ(numbered(one, {192, 168, 0, 1}),
              (std::vector<std::string>{"192.168.0.1: this PC's default gateway on eth0",
                                        "192.168.0.2: this PC's address on eth0", "192.168.0.3"}));
    EXPECT_EQ(numbered({"02:50:4D:00:00:01", "02:50:4D:00:00:03"}, {192, 168, 0, 149}),
              (std::vector<std::string>{
                  "192.168.0.150: used by AA:BB:CC:00:01:50 (in this PC's neighbour table on eth0)",
                  "192.168.0.151: the gateway", "192.168.0.149", "192.168.0.152"}));
    EXPECT_EQ(numbered({"02:50:4D:00:00:99"}, {192, 168, 0, 111}),
              std::vector<std::string>{"192.168.0.111"});
    // Written and read back, a mask of 0.0.0.0 is not "as the camera reports".
    const auto noMask = makeAddressPlan(one, {192, 168, 0, 10}, 1, {}, {}, {}, {});
    EXPECT_EQ(readPlan(formatPlan(noMask.rows)).rows.at(0).subnetMask, Ipv4{});
}

TEST(NetworkPlan, addressPlanSkipsNetworkAndBroadcastAndReadsBack) {
    const std::vector<std::string> macs = {"02:50:4D:00:00:01", "02:50:4D:00:00:02",
                                           "02:50:4D:00:00:03"};
    const auto plan = makeAddressPlan(macs, {10, 0, 0, 253}, 1, {255, 255, 254, 0},
                                      Ipv4{10, 0, 0, 1}, {Ipv4{10, 0, 0, 1}}, std::nullopt);
    ASSERT_EQ(plan.error, "");
    const auto text = formatPlan(plan.rows);
    EXPECT_EQ(text,
              "mac,ipAddress,dhcp,subnetMask,gateway,dnsAuto,dns1\n"
              "02:50:4D:00:00:01,10.0.0.253,0,255.255.254.0,10.0.0.1,0,10.0.0.1\n"
              "02:50:4D:00:00:02,10.0.0.254,0,255.255.254.0,10.0.0.1,0,10.0.0.1\n"
              "02:50:4D:00:00:03,10.0.1.1,0,255.255.254.0,10.0.0.1,0,10.0.0.1\n");
    const auto stepped = makeAddressPlan(macs, {10, 0, 1, 250}, 2, {255, 255, 255, 0}, std::nullopt,
                                         {}, std::string("8080"));
    EXPECT_EQ(stepped.error, "");
    ASSERT_EQ(stepped.rows.size(), 3u);
    EXPECT_EQ(stepped.rows[2].ipAddress, (Ipv4{10, 0, 1, 254}));
    const auto full = makeAddressPlan(macs, {10, 0, 1, 253}, 1, {255, 255, 255, 0}, std::nullopt,
                                      {}, std::nullopt);
    EXPECT_EQ(full.error, "the subnet of 10.0.1.253 has no room for 3 cameras 1 apart");
    const auto wrapped = makeAddressPlan(macs, {10, 0, 1, 255}, 1, {255, 255, 255, 0}, std::nullopt,
                                         {}, std::nullopt);
    EXPECT_EQ(wrapped.error, "the subnet of 10.0.1.255 has no room for 3 cameras 1 apart");
}

}  // namespace
}  // namespace pelmora
